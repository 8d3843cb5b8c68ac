'use strict';

const path = require('node:path');
const { readEnds, isRecord } = require('./lines');
const { contentText, timeOf, str } = require('./text');
const { processStart } = require('./proc');
const { readSmallFile } = require('./files');

// Claude Code: <root>/projects/<folder>/<session-id>.jsonl. The folder name encodes the working directory
// lossily, so it is never decoded: "cwd" comes from the lines. Subagents (agent-*.jsonl, <id>/subagents/,
// side-chain lines) belong to their parent and are never conversations of their own.

const UUID_FILE = /^([0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12})\.jsonl$/i;
const TURN_ENDS = new Set(['turn_duration', 'stop_hook_summary']);
const ASKS = { AskUserQuestion: 'question', ExitPlanMode: 'plan' };
const INJECTED = /^(<(command-name|command-message|command-args|local-command-[a-z]+|bash-input|bash-stdout|bash-stderr|system-reminder|user-prompt-submit-hook)>|Caveat: The messages below)/;
const INTERRUPTED = /^\[Request interrupted by user/;
const SKIPPED_PARTS = (text) => text.startsWith('<system-reminder>') || text.startsWith('<ide_');
const KEPT_UUIDS = 32;
// Commands that only change the session itself: a conversation begun with one is titled by what follows.
const HOUSEKEEPING = new Set(['clear', 'compact', 'resume', 'continue', 'model', 'config', 'login', 'logout', 'status', 'help', 'cost', 'exit',
  'hooks', 'permissions', 'doctor', 'context', 'usage', 'statusline', 'ide', 'mcp', 'agents', 'add-dir', 'vim', 'theme', 'export', 'rewind', 'memory']);

// "/name args" of a slash command line, or null (also for housekeeping commands).
function slashCommand(words) {
  const name = /<command-name>\s*\/?([^<\s]+)\s*<\/command-name>/.exec(words);
  if (!name || HOUSEKEEPING.has(name[1].toLowerCase())) return null;
  const args = /<command-args>([^<]*)<\/command-args>/.exec(words);
  return `/${name[1]}${args && args[1].trim() ? ` ${args[1].trim()}` : ''}`;
}

function locate(env, home) {
  const root = env.CLAUDE_CONFIG_DIR ? path.resolve(env.CLAUDE_CONFIG_DIR) : path.join(home, '.claude');
  return { root, base: path.join(root, 'projects') };
}

function fileId(name) {
  const match = UUID_FILE.exec(name);
  return match ? { id: match[1].toLowerCase() } : null;
}

// What a user line says, or null when it is not the user's own words (tool output, injected text, commands).
function userWords(line) {
  const content = isRecord(line.message) ? line.message.content : undefined;
  if (Array.isArray(content) && content.some((part) => part && part.type === 'tool_result')) return null;
  if (line.isMeta === true) return null;
  const text = contentText(content, SKIPPED_PARTS);
  const trimmed = text === null ? '' : text.trim();
  return trimmed.length > 0 ? trimmed : null;
}

function identityNote(id, line, into) {
  if (typeof line.sessionId !== 'string') return;
  if (line.sessionId.toLowerCase() === id) into.confirmed = true;
  else into.foreign = true;
}

// The turn as the tail shows it: open or closed (null when nothing in the window says), the tool calls still
// waiting for a result, and titles, which later lines override.
function tailReader(id) {
  let s;
  const close = () => {
    s.open = false;
    s.pending.clear();
    s.last = 'end';
  };
  const user = (line) => {
    const content = isRecord(line.message) ? line.message.content : undefined;
    if (Array.isArray(content) && content.some((part) => part && part.type === 'tool_result')) {
      for (const part of content) if (part && typeof part.tool_use_id === 'string') s.pending.delete(part.tool_use_id);
      s.open = true;
      s.last = 'result';
      return;
    }
    const words = userWords(line);
    if (words === null) return;
    if (INTERRUPTED.test(words)) close();
    else if (!INJECTED.test(words)) {
      s.open = true;
      s.pending.clear();
      s.last = 'prompt';
    }
  };
  const assistant = (line) => {
    const message = isRecord(line.message) ? line.message : {};
    let tools = 0;
    for (const part of Array.isArray(message.content) ? message.content : []) {
      if (part && part.type === 'tool_use' && typeof part.id === 'string') {
        s.pending.set(part.id, typeof part.name === 'string' ? part.name : '');
        tools += 1;
      }
    }
    s.open = true;
    s.last = tools > 0 ? 'tool' : 'reply';
    if (tools === 0 && message.stop_reason === 'end_turn') close();
  };
  return {
    reset() {
      s = { open: null, last: null, pending: new Map(), lastAt: 0, uuids: [], confirmed: false, foreign: false, main: 0, side: 0 };
    },
    visit(line) {
      s.lastAt = Math.max(s.lastAt, timeOf(line.timestamp));
      if (line.isSidechain === true) {
        s.side += 1;
        return;
      }
      s.main += 1;
      identityNote(id, line, s);
      const own = typeof line.sessionId !== 'string' || line.sessionId.toLowerCase() === id;
      if (line.type === 'custom-title' && own && str(line.customTitle)) s.customTitle = line.customTitle;
      else if (line.type === 'ai-title' && own && str(line.aiTitle)) s.aiTitle = line.aiTitle;
      else if (line.type === 'system' && TURN_ENDS.has(line.subtype)) close();
      else if (line.type === 'user') user(line);
      else if (line.type === 'assistant') assistant(line);
      if (typeof line.uuid === 'string') {
        s.uuids.push(line.uuid);
        if (s.uuids.length > KEPT_UUIDS) s.uuids.shift();
      }
    },
    enough: () => s.open !== null,
    result: () => s,
  };
}

function headReader(id, into) {
  return (line) => {
    if (line.isSidechain === true) {
      into.side += 1;
      return false;
    }
    into.main += 1;
    identityNote(id, line, into);
    if (!into.cwd && str(line.cwd)) into.cwd = line.cwd;
    if (line.type === 'summary' && str(line.summary) && str(line.leafUuid) && into.summaries.length < 20) {
      into.summaries.push({ leafUuid: line.leafUuid, summary: line.summary });
    }
    if (line.type === 'custom-title' && str(line.customTitle)) into.headCustomTitle = line.customTitle;
    if (line.type === 'ai-title' && str(line.aiTitle)) into.headAiTitle = line.aiTitle;
    if (typeof line.uuid === 'string' && into.uuids.length < KEPT_UUIDS) into.uuids.push(line.uuid);
    if (line.type === 'user' && into.firstRequest === undefined) {
      const words = userWords(line);
      const command = words === null ? null : slashCommand(words);
      if (command) into.firstRequest = command.slice(0, 4096);
      else if (words !== null && !INJECTED.test(words) && !INTERRUPTED.test(words)) into.firstRequest = words.slice(0, 4096);
    }
    into.headDone = into.confirmed && Boolean(into.cwd) && into.firstRequest !== undefined;
    return into.headDone;
  };
}

// Reads one transcript. `previous` is the cached result for the same file: when the file only grew and the
// head was complete, only the tail is read again, and titles the new tail does not mention are kept.
function parse(io, file, id, previous) {
  const grown = previous && previous.headDone && previous.size > 0;
  const head = grown
    ? { ...previous, uuids: previous.headUuids }
    : { confirmed: false, foreign: false, main: 0, side: 0, summaries: [], uuids: [], headDone: false };
  const tail = tailReader(id);
  const { size, mtimeMs } = readEnds(io, file, { head: headReader(id, head), tail, headNeeded: !grown });
  const t = tail.result();
  const confirmed = head.confirmed || t.confirmed;
  const main = head.main + t.main;
  let status = 'ok';
  if (!confirmed) status = head.foreign || t.foreign ? 'mismatch' : main === 0 && head.side + t.side > 0 ? 'sidechain' : 'empty';
  const asks = [...t.pending.values()].map((name) => ASKS[name]).find(Boolean) || null;
  return {
    id,
    status,
    size,
    mtimeMs,
    headDone: head.headDone,
    confirmed: head.confirmed,
    foreign: head.foreign,
    main: head.main,
    side: head.side,
    cwd: head.cwd,
    firstRequest: head.firstRequest,
    summaries: head.summaries,
    headUuids: head.uuids,
    uuids: [...new Set([...head.uuids, ...t.uuids])],
    customTitle: t.customTitle || (grown ? previous.customTitle : undefined) || head.headCustomTitle,
    aiTitle: t.aiTitle || (grown ? previous.aiTitle : undefined) || head.headAiTitle,
    headCustomTitle: head.headCustomTitle,
    headAiTitle: head.headAiTitle,
    lastAt: Math.max(t.lastAt, grown ? previous.lastAt : 0),
    turn: {
      open: t.open,
      asks,
      pendingTool: t.pending.size > 0 && !asks,
      softEnd: t.open === true && t.last === 'reply',
    },
  };
}

// Title: the last custom title, else the provider's generated title, else a summary written for one of this
// conversation's own lines (a summary can describe another conversation), else the first request.
function titleOf(info, summaries) {
  const summary = info.uuids.map((uuid) => summaries.get(uuid)).find(Boolean);
  return info.customTitle || info.aiTitle || summary || info.firstRequest;
}

// Live-process records (<root>/sessions/<pid>.json), trusted only while that pid runs and its start time
// matches "procStart": a stale file outlives its process, and pids are reused.
function liveProcesses(io, root, cache) {
  const dir = path.join(root, 'sessions');
  const bySession = new Map();
  let names;
  try {
    names = io.readdirSync(dir).filter((name) => name.endsWith('.json')).slice(0, 512);
  } catch {
    cache.clear();
    return bySession;
  }
  const seen = new Set();
  for (const name of names) {
    const file = path.join(dir, name);
    seen.add(file);
    let entry = cache.get(file);
    try {
      const stat = io.statSync(file);
      if (!entry || entry.mtimeMs !== stat.mtimeMs || entry.size !== stat.size) {
        const text = readSmallFile(io, file, 65536);
        entry = { mtimeMs: stat.mtimeMs, size: stat.size, record: text === null ? null : JSON.parse(text) };
        cache.set(file, entry);
      }
    } catch {
      continue;
    }
    const record = entry.record;
    if (!isRecord(record) || typeof record.sessionId !== 'string' || !Number.isSafeInteger(record.pid) || record.pid <= 1) continue;
    const started = processStart(io, record.pid);
    const expected = record.procStart === undefined || record.procStart === null ? null : String(record.procStart);
    let state;
    if (started === null) state = 'gone';
    else if (started === undefined || expected === null) state = 'unverified';
    else state = started === expected ? 'alive' : 'gone';
    const key = record.sessionId.toLowerCase();
    const known = bySession.get(key);
    const rank = { alive: 2, unverified: 1, gone: 0 };
    if (!known || rank[state] > rank[known.state]) bySession.set(key, { state, status: typeof record.status === 'string' ? record.status : undefined });
  }
  for (const file of cache.keys()) if (!seen.has(file)) cache.delete(file);
  return bySession;
}

// The folder a working directory's transcripts most likely sit in, for a hint only: the scheme changed
// between versions and long paths are cut, so a miss is normal and the sweep finds the file later.
const folderOf = (cwd) => cwd.replace(/[^A-Za-z0-9]/g, '-');

module.exports = {
  folderOf,
  name: 'claude',
  label: 'Claude Code',
  locate,
  depth: 1,
  acceptDir: () => true,
  fileId,
  parse,
  titleOf,
  liveProcesses,
};
