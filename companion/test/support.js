'use strict';

// Shared test tools: a spawned host with line capture, and an in-process host with manual timers.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { after } = require('node:test');
const { HostState } = require('../lib/state');
const { normaliseScenario } = require('../lib/scenario');
const { createDispatcher } = require('../lib/commands');
const registry = require('../lib/actions');

const ROOT = path.join(__dirname, '..');
const HOST = path.join(ROOT, 'desktop-host.js');

// A failed assertion must not leave children that keep the test process alive.
const children = new Set();
const dirs = [];
after(() => {
  children.forEach((child) => child.kill('SIGKILL'));
  dirs.forEach((dir) => fs.rmSync(dir, { recursive: true, force: true }));
});
function track(child) {
  children.add(child);
  child.on('exit', () => children.delete(child));
  return child;
}

const tempDir = () => dirs[dirs.push(fs.mkdtempSync(path.join(os.tmpdir(), 'vodu-host-'))) - 1];

function startHost({ env = {}, home = tempDir() } = {}) {
  const child = track(spawn(process.execPath, [HOST, '--desktop-host'], {
    env: {
      PATH: process.env.PATH, VODU_HOME: home, VODU_HOST_HEARTBEAT_MS: '2000', VODU_HOST_STEP_MS: '20', VODU_HOST_TICK_MS: '0', VODU_HOST_DISCOVERY: 'off', ...env,
    },
  }));
  const raw = [];
  const parsed = [];
  let pending = [];
  child.stdout.setEncoding('utf8');
  child.stdout.on('data', (text) => {
    const parts = text.split('\n');
    pending.push(parts.shift());
    if (parts.length === 0) return;
    raw.push(pending.join(''), ...parts.slice(0, -1));
    pending = [parts.at(-1)];
  });
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  const messages = () => {
    for (let i = parsed.length; i < raw.length; i += 1) {
      try { parsed.push(JSON.parse(raw[i])); } catch { parsed.push(null); }
    }
    return parsed.filter(Boolean);
  };
  const waitFor = (predicate, ms = 8000) => new Promise((resolve, reject) => {
    const deadline = Date.now() + ms;
    const poll = setInterval(() => {
      const found = messages().find(predicate);
      if (!found && Date.now() < deadline) return;
      clearInterval(poll);
      if (found) resolve(found);
      else reject(new Error(`timed out after ${raw.length} lines`));
    }, 10);
  });
  const send = (command) => child.stdin.write((typeof command === 'string' ? command : JSON.stringify(command)) + '\n');
  const result = (id) => waitFor((m) => m.type === 'result' && m.id === id);
  const stop = () => { child.stdin.end(); return exited; };
  return { child, home, raw, messages, waitFor, send, result, stop, exited };
}

// Timers run only on settle(), in due order, including the ones they schedule.
function makeHost(scenario, clock = () => Date.parse('2025-05-01T10:00:00Z')) {
  const queue = [];
  let now = 0;
  const timers = { set: (fn, ms) => { const h = { fn, due: now + ms }; queue.push(h); return h; }, clear: (h) => queue.includes(h) && queue.splice(queue.indexOf(h), 1) };
  const state = new HostState({ scenario: normaliseScenario(scenario, clock()), clock, timers, stepMs: 10 });
  const sent = [];
  const context = { state, faults: {}, shutdown: () => sent.push({ type: 'exit' }), sendTaskDetail: (taskKey, task) => sent.push({ taskKey, task }) };
  let last = null;
  const dispatch = createDispatcher({ registry, context, reply: (id, ok, message, then) => { last = { ok, message }; if (then) then(); }, log: () => {} });
  const run = (action, fields = {}) => { dispatch(JSON.stringify({ id: 'T', action, ...fields })); return last; };
  const settle = () => {
    while (queue.length > 0) {
      queue.sort((a, b) => a.due - b.due);
      const next = queue.shift();
      now = next.due;
      next.fn();
    }
  };
  return { state, status: state.status, run, sent, settle };
}

module.exports = { ROOT, HOST, track, tempDir, startHost, makeHost };
