'use strict';

const fs = require('node:fs');
const net = require('node:net');
const path = require('node:path');

// Events from the providers' hooks. The relay (the launcher's hook mode) connects to a socket in a private
// folder of the installation home and writes the provider's name on one line, then the hook's JSON as the
// provider gave it. Nobody listening means the relay drops the event; here every connection is bounded in
// size, number and time, so a flood or a stuck relay costs nothing lasting.

const MAX_EVENT_BYTES = 1024 * 1024;
const MAX_CONNECTIONS = 32;
const CONNECTION_MS = 2000;
const KEPT_SESSIONS = 512;
const PROVIDERS = new Set(['claude', 'codex']);

function socketPath(home) {
  return path.join(home, 'run', 'hooks', 'relay.sock');
}

// A hook's fields; an input too large to keep whole is read for its leading top-level strings only.
function readEvent(text) {
  try {
    const value = JSON.parse(text);
    return value && typeof value === 'object' && !Array.isArray(value) ? value : null;
  } catch {
    const event = {};
    for (const key of ['session_id', 'hook_event_name', 'tool_name', 'notification_type', 'transcript_path']) {
      const match = new RegExp(`"${key}"\\s*:\\s*"((?:[^"\\\\]|\\\\.){0,4096})"`).exec(text);
      if (match) {
        try {
          event[key] = JSON.parse(`"${match[1]}"`);
        } catch {
          // an escape cut in half: leave the field out
        }
      }
    }
    return typeof event.hook_event_name === 'string' ? event : null;
  }
}

const ASK_TOOLS = { AskUserQuestion: 'question', ExitPlanMode: 'plan', request_user_input: 'question' };

// What one event says about its conversation: { running, asks, tool } or null when it says nothing new.
// A wait for the user lasts until another event of the conversation arrives (or its process is gone).
function stateAfter(provider, event) {
  const name = event.hook_event_name;
  const tool = typeof event.tool_name === 'string' ? event.tool_name.slice(0, 80) : undefined;
  switch (name) {
    case 'UserPromptSubmit':
    case 'PostToolUse':
      return { running: true, asks: null };
    case 'Stop':
    case 'StopFailure':
    case 'SessionStart':
      return { running: false, asks: null };
    case 'SessionEnd':
      return { running: false, asks: null, ended: true };
    case 'PermissionRequest':
      return { running: false, asks: provider === 'codex' ? 'approval' : 'permission', tool };
    case 'PreToolUse':
      return ASK_TOOLS[tool] ? { running: false, asks: ASK_TOOLS[tool], tool } : { running: true, asks: null };
    case 'Notification':
      if (event.notification_type === 'permission_prompt') return { running: false, asks: 'permission' };
      if (event.notification_type === 'elicitation_dialog') return { running: false, asks: 'elicitation' };
      return null;
    default:
      return null;
  }
}

// The latest hook state per conversation, and per provider when an event was last seen.
class HookEvidence {
  constructor({ now = Date.now } = {}) {
    this.now = now;
    this.sessions = new Map();
    this.seenAt = {};
  }

  // Returns the transcript path the event named (a hint for discovery), or undefined.
  accept(provider, event) {
    if (!PROVIDERS.has(provider) || !event || typeof event.session_id !== 'string' || !event.session_id) return undefined;
    this.seenAt[provider] = this.now();
    const state = stateAfter(provider, event);
    if (state) {
      const key = `${provider}|${event.session_id.toLowerCase()}`;
      const previous = this.sessions.get(key);
      // A reminder of the same wait keeps the tool named by the first event.
      const tool = state.tool || (previous && previous.asks === state.asks ? previous.tool : undefined);
      this.sessions.delete(key);
      this.sessions.set(key, { ...state, tool, at: this.now() });
      if (this.sessions.size > KEPT_SESSIONS) this.sessions.delete(this.sessions.keys().next().value);
    }
    return typeof event.transcript_path === 'string' ? event.transcript_path : undefined;
  }

  of(provider, session) {
    return this.sessions.get(`${provider}|${session}`);
  }
}

// Listens on the socket; onEvent(provider, event) for each complete event. Returns { close }, or null when
// the socket cannot be made (events are then simply not seen).
function listen(home, onEvent, log = () => {}) {
  const file = socketPath(home);
  try {
    fs.mkdirSync(path.dirname(file), { recursive: true, mode: 0o700 });
    fs.chmodSync(path.dirname(file), 0o700);
    try {
      if (fs.lstatSync(file).isSocket()) fs.unlinkSync(file); // left by a host that ended without cleaning up
    } catch {
      // no socket yet
    }
  } catch (error) {
    log(`hook events are not received: ${error.message}`);
    return null;
  }
  const server = net.createServer((socket) => {
    const chunks = [];
    let bytes = 0;
    socket.setTimeout(CONNECTION_MS, () => socket.destroy());
    socket.on('error', () => {});
    socket.on('data', (chunk) => {
      bytes += chunk.length;
      if (bytes <= MAX_EVENT_BYTES) chunks.push(chunk);
    });
    socket.on('end', () => {
      socket.destroy();
      const text = Buffer.concat(chunks).toString('utf8');
      const newline = text.indexOf('\n');
      if (newline <= 0) return;
      const event = readEvent(text.slice(newline + 1));
      if (event) onEvent(text.slice(0, newline).trim(), event);
    });
  });
  server.maxConnections = MAX_CONNECTIONS;
  server.on('error', (error) => log(`hook events are not received: ${error.message}`));
  server.listen(file);
  server.unref();
  return {
    close() {
      server.close();
      try {
        fs.unlinkSync(file);
      } catch {
        // already gone
      }
    },
  };
}

module.exports = { HookEvidence, listen, readEvent, stateAfter, socketPath };
