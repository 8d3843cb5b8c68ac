#!/usr/bin/env node
'use strict';

// Discovery figures on a synthetic machine: 10,000 transcripts (5,000 per provider) of 1 KB to 50 MB.
// Files over a few kilobytes are sparse (a written head, a hole, a written tail), so the tree takes some
// 100 MB of disk while the host sees the full sizes; three carry a real 5 MB last line. The tree lives in a
// temporary folder and is removed at the end.
//
//   node companion/bench/discovery.js [--keep]

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { Discovery } = require('../lib/discovery');
const { startHost } = require('./support');

const PER_PROVIDER = 5000;
const FOLDERS = 100;
const MIN_SIZE = 1024;
const MAX_SIZE = 50 * 1024 * 1024;
const DAY = 24 * 60 * 60 * 1000;
const TARGETS = { cold: 2000, rescan: 50, memory: 150, latency: 1000 };

const keep = process.argv.includes('--keep');
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vodu-discovery-bench-'));
const env = { PATH: process.env.PATH, CLAUDE_CONFIG_DIR: path.join(dir, 'claude'), CODEX_HOME: path.join(dir, 'codex') };

let seed = 42;
const random = () => {
  seed = (seed * 1103515245 + 12345) % 2147483648;
  return seed / 2147483648;
};
const id = (n, v = 4) => `${n.toString(16).padStart(8, '0')}-1a2b-${v}c3d-8e4f-${(n * 7919).toString(16).padStart(12, '0').slice(-12)}`;
const iso = (ms) => new Date(ms).toISOString();
const text = (n) => 'lorem ipsum dolor sit amet '.repeat(Math.ceil(n / 27)).slice(0, n);

function claudeLines(sid, start, count, t) {
  const lines = [];
  for (let i = 0; i < count; i += 1) {
    const base = { parentUuid: null, isSidechain: false, uuid: `${sid.slice(0, 8)}-${start + i}`, sessionId: sid, cwd: `/home/dev/p${sid.slice(6, 8)}`, version: '2.1.3', timestamp: iso(t + i * 1000) };
    const kind = (start + i) % 3;
    if (kind === 0) lines.push({ ...base, type: 'user', message: { role: 'user', content: i === 0 && start === 0 ? `Improve module ${sid.slice(0, 8)}: ${text(80)}` : text(120) } });
    else if (kind === 1) lines.push({ ...base, type: 'assistant', message: { role: 'assistant', content: [{ type: 'text', text: text(300) }], stop_reason: null } });
    else lines.push({ ...base, type: 'system', subtype: 'turn_duration', durationMs: 1200 });
  }
  return lines.map((l) => JSON.stringify(l)).join('\n') + '\n';
}

function codexLines(tid, start, count, t) {
  const lines = [];
  if (start === 0) {
    lines.push({ timestamp: iso(t), type: 'session_meta', payload: { id: tid, timestamp: iso(t), cwd: `/home/dev/c${tid.slice(6, 8)}`, originator: 'codex_cli_rs', cli_version: '0.150.0', instructions: text(3000), source: 'cli' } });
    lines.push({ timestamp: iso(t), type: 'event_msg', payload: { type: 'user_message', message: `Refactor service ${tid.slice(0, 8)}` } });
  }
  for (let i = lines.length; i < count; i += 1) {
    const kind = (start + i) % 3;
    const payload = kind === 0 ? { type: 'task_started', turn_id: String(i) } : kind === 1 ? { type: 'agent_message', message: text(300) } : { type: 'task_complete', turn_id: String(i) };
    lines.push({ timestamp: iso(t + i * 1000), type: 'event_msg', payload });
  }
  return lines.map((l) => JSON.stringify(l)).join('\n') + '\n';
}

// A transcript of `size` bytes: written whole when small, else a written head and tail around a hole.
function writeTranscript(file, size, make, mtime, bigLastLine) {
  fs.mkdirSync(path.dirname(file), { recursive: true });
  const head = make(0, 6, mtime - DAY);
  let tail = make(6, 9, mtime - 60000);
  if (bigLastLine) tail += JSON.stringify({ type: 'user', timestamp: iso(mtime), payload: { type: 'noise' }, data: text(5 * 1024 * 1024) }) + '\n';
  const fd = fs.openSync(file, 'w');
  if (size <= head.length + tail.length + 4096) {
    fs.writeSync(fd, head + tail);
  } else {
    fs.writeSync(fd, head, 0);
    fs.writeSync(fd, `\n${tail}`, size - Buffer.byteLength(tail) - 1);
  }
  fs.closeSync(fd);
  fs.utimesSync(file, new Date(mtime), new Date(mtime));
}

function build() {
  const now = Date.now();
  const sizes = [];
  for (let n = 0; n < 2 * PER_PROVIDER; n += 1) sizes.push(n % 2000 === 0 ? MAX_SIZE : Math.round(Math.exp(Math.log(MIN_SIZE) + random() * Math.log(MAX_SIZE / MIN_SIZE))));
  for (let n = 0; n < PER_PROVIDER; n += 1) {
    const sid = id(n + 1);
    const folder = path.join(env.CLAUDE_CONFIG_DIR, 'projects', `-home-dev-project-${n % FOLDERS}`);
    writeTranscript(path.join(folder, `${sid}.jsonl`), sizes[n], (s, c, t) => claudeLines(sid, s, c, t), now - random() * 60 * DAY, n % 2000 === 1);
  }
  for (let n = 0; n < PER_PROVIDER; n += 1) {
    const tid = id(100000 + n, 7);
    const day = new Date(Date.UTC(2026, 0, 1) + (n % FOLDERS) * DAY);
    const folder = path.join(env.CODEX_HOME, 'sessions', String(day.getUTCFullYear()), String(day.getUTCMonth() + 1).padStart(2, '0'), String(day.getUTCDate()).padStart(2, '0'));
    writeTranscript(path.join(folder, `rollout-2026-01-01T10-00-00-${tid}.jsonl`), sizes[PER_PROVIDER + n], (s, c, t) => codexLines(tid, s, c, t), now - random() * 60 * DAY, n === 7);
  }
  const names = [];
  for (let n = 0; n < PER_PROVIDER; n += 3) names.push(JSON.stringify({ id: id(100000 + n, 7), thread_name: `Thread ${n}`, updated_at: iso(now) }));
  fs.writeFileSync(path.join(env.CODEX_HOME, 'session_index.jsonl'), names.join('\n') + '\n');
  fs.mkdirSync(path.join(env.CLAUDE_CONFIG_DIR, 'sessions'));
  for (let n = 0; n < 20; n += 1) fs.writeFileSync(path.join(env.CLAUDE_CONFIG_DIR, 'sessions', `${400000 + n}.json`), JSON.stringify({ pid: 400000 + n, sessionId: id(n + 1), procStart: '1', status: 'busy' }));
  settleFolders(dir);
  return sizes;
}

// A folder's time becomes that of its newest entry, as on a machine where the folders were not all just made.
function settleFolders(folder) {
  let newest = 0;
  for (const e of fs.readdirSync(folder, { withFileTypes: true })) {
    const full = path.join(folder, e.name);
    newest = Math.max(newest, e.isDirectory() ? settleFolders(full) : fs.statSync(full).mtimeMs);
  }
  fs.utimesSync(folder, new Date(newest), new Date(newest));
  return newest;
}

function diskUse(root) {
  let blocks = 0;
  let logical = 0;
  const walk = (p) => {
    for (const e of fs.readdirSync(p, { withFileTypes: true })) {
      const full = path.join(p, e.name);
      if (e.isDirectory()) walk(full);
      else {
        const s = fs.statSync(full);
        blocks += s.blocks * 512;
        logical += s.size;
      }
    }
  };
  walk(root);
  return { disk: blocks, logical };
}

const ms = (start) => Number(process.hrtime.bigint() - start) / 1e6;
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const mb = (bytes) => `${(bytes / 1048576).toFixed(0)} MB`;

function measureScans() {
  let start = process.hrtime.bigint();
  const discovery = new Discovery({ env, probe: false, watch: false });
  const found = discovery.start();
  const cold = ms(start);
  const rescans = [];
  for (let i = 0; i < 20; i += 1) {
    start = process.hrtime.bigint();
    discovery.scan(false);
    rescans.push(ms(start));
  }
  const sweeps = [];
  for (let i = 0; i < 5; i += 1) {
    start = process.hrtime.bigint();
    discovery.scan(true);
    sweeps.push(ms(start));
  }
  discovery.stop();
  start = process.hrtime.bigint();
  const everything = new Discovery({ env, probe: false, watch: false, limit: Infinity });
  const all = everything.start();
  const readAll = ms(start);
  everything.stop();
  return { cold, reported: found.sessions.length, rescan: median(rescans), rescanMax: Math.max(...rescans), sweep: median(sweeps), readAll, readAllCount: all.sessions.length };
}

function rss(pid) {
  const status = fs.readFileSync(`/proc/${pid}/status`, 'utf8');
  const kb = (key) => Number((new RegExp(`${key}:\\s+(\\d+)`).exec(status) || [])[1] || 0) * 1024;
  return { now: kb('VmRSS'), peak: kb('VmHWM') };
}

// The real host on the same tree (the stale live-process records of the first 20 conversations included).
async function measureHost() {
  const host = startHost({ ...env, VODU_HOST_HEARTBEAT_MS: '5000' });
  try {
    return await trials(host.child, (test) => host.status(test).then(({ at }) => at), host.started);
  } finally {
    await host.stop();
  }
}

// Memory once the host has settled, then one write per trial (old and recent conversations of both
// providers, each then waiting for the user) and the time until a status shows it.
async function trials(child, next, started) {
  const firstStatus = (await next((s) => s.sessionSupervision.sessions.length > 0)) - started;
  await new Promise((r) => setTimeout(r, 3000));
  const memory = rss(child.pid);

  const latencies = [];
  const trials = [
    ['claude', path.join(env.CLAUDE_CONFIG_DIR, 'projects', '-home-dev-project-25', `${id(126)}.jsonl`), id(126)],
    ['codex', null, id(100000 + 12, 7)],
    ['claude', path.join(env.CLAUDE_CONFIG_DIR, 'projects', '-home-dev-project-40', `${id(41)}.jsonl`), id(41)],
    ['codex', null, id(100000 + 77, 7)],
    ['claude', path.join(env.CLAUDE_CONFIG_DIR, 'projects', '-home-dev-project-99', `${id(100)}.jsonl`), id(100)],
  ];
  for (const [provider, given, session] of trials) {
    const file = given || findRollout(session);
    const line = provider === 'claude'
      ? { type: 'assistant', sessionId: session, isSidechain: false, uuid: `q-${session}`, timestamp: iso(Date.now()), message: { role: 'assistant', content: [{ type: 'tool_use', id: 'q1', name: 'AskUserQuestion', input: {} }] } }
      : { timestamp: iso(Date.now()), type: 'response_item', payload: { type: 'function_call', name: 'request_user_input', call_id: 'c1', arguments: '{}' } };
    const seen = next((s) => s.sessionSupervision.sessions.some((r) => r.session === session && r.analysis.state === 'needs_user'));
    const written = Date.now();
    fs.appendFileSync(file, `${JSON.stringify(line)}\n`);
    latencies.push((await seen) - written);
  }
  return { firstStatus, memory, latency: median(latencies), latencyMax: Math.max(...latencies) };
}

function findRollout(tid) {
  const base = path.join(env.CODEX_HOME, 'sessions');
  for (const year of fs.readdirSync(base)) for (const month of fs.readdirSync(path.join(base, year))) {
    for (const day of fs.readdirSync(path.join(base, year, month))) {
      const name = fs.readdirSync(path.join(base, year, month, day)).find((n) => n.includes(tid));
      if (name) return path.join(base, year, month, day, name);
    }
  }
  throw new Error(`no rollout for ${tid}`);
}

async function main() {
  let start = process.hrtime.bigint();
  const sizes = build();
  const built = ms(start);
  const use = diskUse(dir);
  console.log(`tree: ${sizes.length} transcripts, ${(Math.min(...sizes) / 1024).toFixed(0)} KB..${mb(Math.max(...sizes))}`
    + ` (${sizes.filter((s) => s === MAX_SIZE).length} at 50 MB), ${mb(use.logical)} in files, ${mb(use.disk)} on disk, built in ${(built / 1000).toFixed(1)} s`);
  const scans = measureScans();
  const host = await measureHost();
  const rows = [
    ['cold scan (index 10,000 files, read the 100 newest)', scans.cold, TARGETS.cold, 'ms'],
    ['re-scan, nothing changed (median of 20)', scans.rescan, TARGETS.rescan, 'ms'],
    ['host memory, peak resident', host.memory.peak / 1048576, TARGETS.memory, 'MB'],
    ['change to status (median of 5)', host.latency, TARGETS.latency, 'ms'],
  ];
  for (const [name, value, target, unit] of rows) console.log(`${value <= target ? 'ok  ' : 'FAIL'} ${name}: ${value.toFixed(1)} ${unit} (target < ${target})`);
  console.log(`also: re-scan max ${scans.rescanMax.toFixed(1)} ms; full re-stat of every file ${scans.sweep.toFixed(1)} ms;`
    + ` reading all ${scans.readAllCount} transcripts ${scans.readAll.toFixed(0)} ms; host first status ${host.firstStatus} ms after spawn;`
    + ` resident now ${(host.memory.now / 1048576).toFixed(0)} MB; slowest change ${host.latencyMax} ms`);
  return rows.every(([, value, target]) => value <= target);
}

main().then((ok) => {
  if (!keep) fs.rmSync(dir, { recursive: true, force: true });
  else console.log(`kept ${dir}`);
  process.exitCode = ok ? 0 : 1;
}, (error) => {
  if (!keep) fs.rmSync(dir, { recursive: true, force: true });
  console.error(error);
  process.exit(2);
});
