'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { spawn, spawnSync } = require('node:child_process');
const { startHost, track, tempDir, ROOT, HOST } = require('./support');
const { acquireLock, lockPath } = require('../lib/lock');

const STOP = path.join(ROOT, 'desktop-stop-conflicts.js');

// A long-running stand-in whose script path plays the part of a host's entry path.
function dummy(dir, { ignoreTerm = false } = {}) {
  const script = path.join(dir, `dummy-${Math.random().toString(36).slice(2)}.js`);
  fs.writeFileSync(script, `${ignoreTerm ? "process.on('SIGTERM', () => {});" : ''} setInterval(() => {}, 1000); process.stdout.write('up\\n');`);
  const child = track(spawn(process.execPath, [script], { stdio: ['ignore', 'pipe', 'ignore'] }));
  const ready = new Promise((resolve) => child.stdout.once('data', resolve));
  const exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve(signal || code)));
  return { child, script, ready, exited };
}

function stopConflicts(request, env = {}) {
  const input = typeof request === 'string' ? request : JSON.stringify(request);
  return new Promise((resolve) => {
    const child = spawn(process.execPath, [STOP], { env: { ...process.env, ...env }, stdio: ['pipe', 'pipe', 'ignore'] });
    let out = '';
    child.stdout.on('data', (d) => { out += d; });
    child.on('close', (code) => resolve({ code, answer: JSON.parse(out) }));
    child.stdin.end(input);
  });
}

test('a second host reports the first; stopping the first frees the home for a new host', async () => {
  const first = startHost();
  await first.waitFor((m) => m.type === 'status');
  const second = startHost({ home: first.home });
  const error = await second.waitFor((m) => m.type === 'error');
  assert.deepEqual(error.conflicts, [{ pid: first.child.pid, entryPath: HOST }]);
  assert.equal(error.code, 'process_conflict');
  assert.equal(await second.exited, 2);
  assert.equal(second.messages().some((m) => m.type === 'status'), false);
  assert.deepEqual((await stopConflicts({ conflicts: error.conflicts, force: false })).answer, { ok: true, remaining: [] });
  assert.equal(await first.exited, 0);
  assert.equal(fs.existsSync(lockPath(first.home)), false);
  const third = startHost({ home: first.home });
  await third.waitFor((m) => m.type === 'status');
  await third.stop();
});

test('a lock left by a gone or unrelated process does not block the next host', async () => {
  const dir = tempDir();
  const live = dummy(dir);
  await live.ready;
  const deadPid = spawnSync(process.execPath, ['-e', '']).pid;
  const cases = [
    ['crashed host', JSON.stringify({ pid: deadPid, entryPath: HOST, startedAt: 'x' }), true],
    ['pid reused by another program', JSON.stringify({ pid: live.child.pid, entryPath: HOST, startedAt: 'x' }), true],
    ['unreadable lock', '{"pid": ', true],
    ['live holder', JSON.stringify({ pid: live.child.pid, entryPath: live.script, startedAt: 'x' }), false],
  ];
  for (const [name, content, free] of cases) {
    const home = tempDir();
    fs.mkdirSync(path.dirname(lockPath(home)), { recursive: true });
    fs.writeFileSync(lockPath(home), content);
    const taken = acquireLock(home, HOST);
    assert.equal(Boolean(taken.release), free, name);
    if (free) {
      assert.equal(JSON.parse(fs.readFileSync(lockPath(home), 'utf8')).pid, process.pid, name);
      taken.release();
      assert.equal(fs.existsSync(lockPath(home)), false, name);
    } else {
      assert.deepEqual(taken.conflict, { pid: live.child.pid, entryPath: live.script });
    }
  }
});

test('the stop script stops a verified process and refuses one whose identity differs', async () => {
  const dir = tempDir();
  const target = dummy(dir);
  const stranger = dummy(dir);
  await Promise.all([target.ready, stranger.ready]);
  const refused = await stopConflicts({ conflicts: [{ pid: stranger.child.pid, entryPath: target.script }], force: true });
  assert.equal(refused.code, 1);
  assert.equal(refused.answer.ok, false);
  assert.equal(stranger.child.exitCode, null, 'an unverified process is never signalled');
  const stopped = await stopConflicts({ conflicts: [{ pid: target.child.pid, entryPath: target.script }], force: false });
  assert.deepEqual(stopped, { code: 0, answer: { ok: true, remaining: [] } });
  assert.equal(await target.exited, 'SIGTERM');
});

test('a process that ignores the polite stop remains until the forced stop', async () => {
  const stubborn = dummy(tempDir(), { ignoreTerm: true });
  await stubborn.ready;
  const conflict = { pid: stubborn.child.pid, entryPath: stubborn.script };
  const polite = await stopConflicts({ conflicts: [conflict] }, { VODU_STOP_WAIT_MS: '300' });
  assert.deepEqual(polite.answer, { ok: true, remaining: [conflict] });
  const forced = await stopConflicts({ conflicts: [conflict], force: true });
  assert.deepEqual(forced.answer, { ok: true, remaining: [] });
  assert.equal(await stubborn.exited, 'SIGKILL');
});

test('the stop script rejects malformed requests', async () => {
  const inputs = [
    'not json', '[]', '{}', '{"conflicts":"x"}', '{"conflicts":[],"force":"yes"}',
    '{"conflicts":[{"pid":"123","entryPath":"/x.js"}]}', '{"conflicts":[{"pid":1,"entryPath":"/x.js"}]}',
    '{"conflicts":[{"pid":123,"entryPath":"relative.js"}]}', '{"conflicts":[null]}',
  ];
  const answers = await Promise.all(inputs.map((input) => stopConflicts(input)));
  answers.forEach((answer, i) => assert.deepEqual(answer, { code: 1, answer: { ok: false } }, inputs[i]));
  const gone = spawnSync(process.execPath, ['-e', '']).pid;
  assert.deepEqual((await stopConflicts({ conflicts: [{ pid: gone, entryPath: HOST }] })).answer, { ok: true, remaining: [] });
});
