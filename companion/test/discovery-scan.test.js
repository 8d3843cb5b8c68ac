'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { tempDir } = require('./support');
const { claude: c, codex: x, uuid, age } = require('./transcripts');
const { Discovery, discoveryWanted } = require('../lib/discovery');

const roots = (dir) => ({ PATH: '', CLAUDE_CONFIG_DIR: path.join(dir, 'claude'), CODEX_HOME: path.join(dir, 'codex') });
const done = [c.user('Tidy'), c.reply('ok'), c.end()];

// fs with some paths refusing to be read, and a count of the files opened.
function guardedFs(denied) {
  const opened = [];
  const deny = (p) => {
    if (denied.includes(String(p))) throw Object.assign(new Error('denied'), { code: 'EACCES' });
  };
  return {
    opened,
    io: {
      ...fs,
      readdirSync: (p, o) => { deny(p); return fs.readdirSync(p, o); },
      openSync: (p, f) => { deny(p); opened.push(path.basename(p)); return fs.openSync(p, f); },
    },
  };
}

test('whether discovery replaces the scenario', () => {
  const dir = tempDir();
  fs.mkdirSync(path.join(dir, 'codex'));
  const none = { ...roots(dir), CODEX_HOME: path.join(dir, 'absent'), CLAUDE_CONFIG_DIR: path.join(dir, 'absent-too') };
  const cases = [
    ['a provider folder exists', roots(dir), true],
    ['no provider folder', none, false],
    ['a named scenario always wins', { ...roots(dir), VODU_HOST_SCENARIO: 'demo.json' }, false],
    ['turned off', { ...roots(dir), VODU_HOST_DISCOVERY: 'off' }, false],
    ['turned on without folders', { ...none, VODU_HOST_DISCOVERY: 'on' }, true],
    ['an unknown setting counts as auto', { ...none, VODU_HOST_DISCOVERY: 'maybe' }, false],
  ];
  for (const [name, env, wanted] of cases) assert.equal(discoveryWanted(env), wanted, name);
});

test('provider folders: missing, unreadable, not a folder', () => {
  const dir = tempDir();
  fs.mkdirSync(path.join(dir, 'claude'));
  fs.writeFileSync(path.join(dir, 'claude', 'projects'), 'not a folder');
  fs.mkdirSync(path.join(dir, 'codex', 'sessions'), { recursive: true });
  const { io } = guardedFs([path.join(dir, 'codex', 'sessions')]);
  const discovery = new Discovery({ env: roots(dir), io, probe: false, watch: false });
  const { providers } = discovery.start();
  discovery.stop();
  assert.deepEqual(providers, {
    codex: { discovery: 'unavailable', reason: `Codex conversations in ${path.join(dir, 'codex', 'sessions')} cannot be read: permission denied.` },
    claude: { discovery: 'unavailable', reason: `Claude Code conversations in ${path.join(dir, 'claude', 'projects')} cannot be read: it is not a folder.` },
  });
  const empty = new Discovery({ env: { ...roots(dir), CLAUDE_CONFIG_DIR: path.join(dir, 'none'), CODEX_HOME: path.join(dir, 'codex') }, probe: false, watch: false });
  assert.deepEqual(empty.start().providers, { codex: { discovery: 'available', found: 0 }, claude: { discovery: 'not_found' } });
  empty.stop();
});

test('only the most recent conversations are read and reported, newest first', () => {
  const dir = tempDir();
  const root = path.join(dir, 'claude');
  for (let i = 0; i < 6; i += 1) c.write(root, uuid(i), [{ ...c.user(`Task ${i}`), timestamp: new Date(Date.UTC(2026, 2, 1 + i)).toISOString() }], { ageMs: (10 - i) * 60000 });
  const { io, opened } = guardedFs([]);
  const discovery = new Discovery({ env: roots(dir), io, limit: 3, probe: false, watch: false });
  const { sessions } = discovery.start();
  discovery.stop();
  assert.deepEqual(sessions.map((s) => s.title), ['Task 5', 'Task 4', 'Task 3']);
  assert.deepEqual(sessions.map((s) => s.lastActivityAt), ['2026-03-06T00:00:00Z', '2026-03-05T00:00:00Z', '2026-03-04T00:00:00Z']);
  assert.equal(opened.length, 3, 'older transcripts are never opened');
});

test('a re-scan opens only what changed', () => {
  const dir = tempDir();
  const root = path.join(dir, 'claude');
  const files = [0, 1, 2].map((i) => c.write(root, uuid(i), done, { ageMs: 5000 }));
  const { io, opened } = guardedFs([]);
  const discovery = new Discovery({ env: roots(dir), io, probe: false, watch: false });
  discovery.start();
  opened.length = 0;
  discovery.scan(false);
  assert.deepEqual(opened, [], 'nothing changed, nothing opened');
  fs.appendFileSync(files[1], `${JSON.stringify({ ...c.title('Renamed'), sessionId: uuid(1) })}\n`);
  age(files[1], 1000);
  discovery.scan(false);
  assert.deepEqual(opened, [path.basename(files[1])]);
  assert.equal(discovery.result.sessions.find((s) => s.session === uuid(1)).title, 'Renamed');
  fs.rmSync(files[2]);
  discovery.scan(false);
  assert.deepEqual(discovery.result.sessions.map((s) => s.session).sort(), [uuid(0), uuid(1)]);
  discovery.stop();
});

test('a change reaches the records through the folder watch well within a second', async () => {
  const dir = tempDir();
  const root = path.join(dir, 'codex');
  fs.mkdirSync(path.join(root, 'sessions'), { recursive: true });
  const changes = [];
  const discovery = new Discovery({ env: roots(dir), pollMs: 60000, probe: false, onChange: (r) => changes.push({ at: Date.now(), r }) });
  discovery.start();
  const until = async (predicate) => {
    for (let waited = 0; waited < 3000; waited += 10) {
      const hit = changes.find((change) => predicate(change.r));
      if (hit) return hit.at;
      await new Promise((r) => setTimeout(r, 10));
    }
    return Infinity;
  };
  try {
    let written = Date.now();
    const file = x.write(root, uuid(1), [x.meta(uuid(1)), x.ask('Watch me'), x.started()], { day: '2026/12/06' });
    assert.ok(await until((r) => r.sessions.some((s) => s.isRunning)) - written < 1000, 'a new thread in a new day folder');
    written = Date.now();
    fs.appendFileSync(file, `${JSON.stringify({ timestamp: '2026-12-06T10:00:00Z', ...x.complete() })}\n`);
    assert.ok(await until((r) => r.sessions.length === 1 && !r.sessions[0].isRunning) - written < 1000, 'an appended line');
  } finally {
    discovery.stop();
  }
});

test('a FIFO, a link to a device or an unreadable file in place of a transcript never blocks, and is counted', () => {
  const dir = tempDir();
  const root = path.join(dir, 'claude');
  const files = [0, 1, 2, 3].map((i) => c.write(root, uuid(i), done, { folder: `-home-dev-p${i}`, ageMs: 5000 }));
  const hidden = path.join(root, 'projects', '-home-dev-hidden');
  fs.mkdirSync(hidden);
  const { io } = guardedFs([files[2], hidden]);
  const discovery = new Discovery({ env: roots(dir), io, probe: false, watch: false });
  discovery.start();
  fs.rmSync(files[0]);
  execFileSync('mkfifo', [files[0]]);
  fs.rmSync(files[1]);
  fs.symlinkSync('/dev/zero', files[1]);
  fs.appendFileSync(files[2], '\n');
  discovery.scan(false);
  const { sessions, providers } = discovery.result;
  discovery.stop();
  assert.deepEqual(sessions.map((s) => s.session), [uuid(3)]);
  assert.equal(providers.claude.unreadable, 4);
  assert.match(providers.claude.reason, /^4 left out: -home-dev-hidden \(permission denied\); a transcript in -home-dev-p\d \(not a regular file\); .*; 1 more\.$/);
});

test('without events, the sweep still finds a change in an old folder and a new transcript in an empty one', () => {
  const dir = tempDir();
  const root = path.join(dir, 'claude');
  const DAY = 24 * 3600 * 1000;
  const files = [0, 1, 2].map((i) => c.write(root, uuid(i), done, { folder: `-home-dev-old${i}`, ageMs: 3 * DAY }));
  fs.mkdirSync(path.join(root, 'projects', '-home-dev-empty'));
  const discovery = new Discovery({ env: roots(dir), probe: false, watch: false });
  discovery.start();
  fs.appendFileSync(files[1], `${JSON.stringify({ ...c.title('Picked up again'), sessionId: uuid(1) })}\n`);
  c.write(root, uuid(9), done, { folder: '-home-dev-empty', ageMs: 0 });
  const sweepsUntil = (predicate) => {
    for (let sweeps = 1; sweeps <= 400; sweeps += 1) {
      discovery.scan(false);
      if (predicate(discovery.result.sessions)) return sweeps;
    }
    return Infinity;
  };
  assert.ok(sweepsUntil((sessions) => sessions.some((s) => s.title === 'Picked up again')) <= 60, 'within the ten-minute round');
  assert.ok(sweepsUntil((sessions) => sessions.some((s) => s.session === uuid(9))) <= 360, 'within the hourly round of empty folders');
  discovery.stop();
});

test('a prompt typed in a conversation whose folder no watch covers is seen through the history line', async () => {
  const dir = tempDir();
  const root = path.join(dir, 'claude');
  const file = c.write(root, uuid(1), done, { folder: '-home-dev-far', ageMs: 30 * 24 * 3600 * 1000 });
  fs.writeFileSync(path.join(root, 'history.jsonl'), '');
  const changes = [];
  const discovery = new Discovery({ env: roots(dir), pollMs: 600000, probe: false, onChange: (r) => changes.push(r) });
  discovery.start();
  discovery.watches.drop(path.dirname(file), true); // as if past the bound
  try {
    const written = Date.now();
    fs.appendFileSync(path.join(root, 'history.jsonl'), `${JSON.stringify({ display: 'More', project: '/home/dev/far', sessionId: uuid(1) })}\n`);
    fs.appendFileSync(file, `${JSON.stringify({ ...c.tool('q1', 'AskUserQuestion'), sessionId: uuid(1), timestamp: new Date().toISOString() })}\n`);
    while (!changes.some((r) => r.sessions.some((s) => s.analysis.state === 'needs_user')) && Date.now() - written < 1000) await new Promise((r) => setTimeout(r, 10));
    assert.ok(Date.now() - written < 1000, 'seen within a second');
  } finally {
    discovery.stop();
  }
});

test('a first scan out of time leaves the rest of the folders to slices', () => {
  const { FileIndex } = require('../lib/discovery/tree');
  const dir = tempDir();
  const root = path.join(dir, 'claude');
  for (let i = 0; i < 5; i += 1) c.write(root, uuid(i), done, { folder: `-home-dev-p${i}` });
  const index = new FileIndex({ io: fs, base: path.join(root, 'projects'), depth: 1, acceptDir: () => true, fileId: (name) => (name.endsWith('.jsonl') ? { id: name } : null) });
  index.sweep(true, -1);
  assert.deepEqual([index.files.size, index.deferred.length], [0, 5]);
  const found = index.drain(Infinity);
  assert.deepEqual([found.size, index.files.size, index.deferred.length], [5, 5, 0]);
});
