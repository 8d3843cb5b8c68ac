'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { tempDir } = require('./support');
const { codex: x, uuid, writeLines } = require('./transcripts');
const { Discovery } = require('../lib/discovery');
const { findOnPath } = require('../lib/discovery/tools');

const MIN = 60 * 1000;
const ZSTD = findOnPath('zstd', process.env);

// zstd runs in the background: with it on PATH, wait until its result is in.
async function discover(root, { path: searchPath = '', expect = 0 } = {}) {
  const discovery = new Discovery({ env: { PATH: searchPath, CODEX_HOME: root, CLAUDE_CONFIG_DIR: path.join(root, 'no-claude') }, probe: false, watch: false });
  discovery.start();
  for (let waited = 0; (discovery.result.sessions.length < expect || discovery.renames.timer) && waited < 5000; waited += 20) await new Promise((r) => setTimeout(r, 20));
  discovery.stop();
  return discovery.result;
}

const shown = (record) => record && ({ title: record.title, cwd: record.cwd, running: record.isRunning, asks: record.analysis.reason || null });
const QUESTION = 'Codex asked a question and is waiting for your answer.';
const APPROVAL = 'Codex is waiting for your approval to run a command outside its sandbox.';
const API = '/home/dev/api';

test('Codex threads: names, first requests and turn state', async () => {
  const root = tempDir();
  const oldest = (id, extra) => [{ id, timestamp: '2025-05-01T10:00:00Z', instructions: 'x' }, { record_type: 'state' }, ...extra];
  const bare = (role, text) => ({ type: 'message', role, content: [{ type: role === 'user' ? 'input_text' : 'output_text', text }] });
  const cases = [
    ['index name, last entry winning', (id) => [x.meta(id), x.env(), x.ask('Add paging'), x.started(), x.agent('Done'), x.complete()], {},
      { title: 'Final name', cwd: API, running: false, asks: null }],
    ['name set inside the rollout', (id) => [x.meta(id), x.ask('Add paging'), x.started(), x.rename('Paging work'), x.complete()], {}, { title: 'Paging work', cwd: API, running: false, asks: null }],
    ['a rename far from both ends of the rollout', (id) => [x.meta(id), x.ask('Add paging'), x.agent('a'.repeat(700000)), x.rename('Renamed long ago'), ...Array(40).fill(x.agent('b'.repeat(2000))), x.started(), x.complete()], {},
      { title: 'Renamed long ago', cwd: API, running: false, asks: null }],
    ['injected instructions are not the request', (id) => [x.meta(id), x.said('# AGENTS.md instructions for /home/dev/api\n\nUse tabs.'), x.said('<user_instructions>be nice</user_instructions>'), x.env(), x.said('Fix the flaky test'), x.ask('Fix the flaky test'), x.started(), x.complete()], {},
      { title: 'Fix the flaky test', cwd: API, running: false, asks: null }],
    ['turn started, no end, fresh', (id) => [x.meta(id), x.ask('Migrate'), x.started(), x.agent('Working on it')], {}, { title: 'Migrate', cwd: API, running: true, asks: null }],
    ['turn started, no end, writer gone for an hour', (id) => [x.meta(id), x.ask('Migrate'), x.started()], { ageMs: 60 * MIN }, { title: 'Migrate', cwd: API, running: false, asks: null }],
    ['pending call asking to leave the sandbox', (id) => [x.meta(id), x.ask('Deploy'), x.started(), x.call('c1', 'shell', { command: ['make', 'deploy'], sandbox_permissions: 'require_escalated' })], { ageMs: 30 * 1000 },
      { title: 'Deploy', cwd: API, running: false, asks: APPROVAL }],
    ['pending request for user input', (id) => [x.meta(id), x.ask('Deploy'), x.started(), x.call('c1', 'request_user_input', { questions: [] })], {}, { title: 'Deploy', cwd: API, running: false, asks: QUESTION }],
    ['escalated call already answered', (id) => [x.meta(id), x.ask('Deploy'), x.started(), x.call('c1', 'shell', { sandbox_permissions: 'require_escalated' }), x.output('c1')], {},
      { title: 'Deploy', cwd: API, running: true, asks: null }],
    ['oldest shape: bare meta, cwd from the environment block, no turn events', (id) => oldest(id, [bare('user', '<environment_context>\n<cwd>/srv/old</cwd>\n</environment_context>'), bare('user', 'Port the parser'), bare('assistant', 'Ported.')]), { ageMs: 5 * MIN },
      { title: 'Port the parser', cwd: '/srv/old', running: false, asks: null }],
    ['oldest shape: a request with no answer yet, fresh', (id) => oldest(id, [bare('user', 'Port the lexer')]), {}, { title: 'Port the lexer', cwd: undefined, running: true, asks: null }],
  ];
  cases.forEach(([, lines, options], i) => x.write(root, uuid(i), lines(uuid(i)), options));
  writeLines(path.join(root, 'session_index.jsonl'), [{ id: uuid(0), thread_name: 'First name', updated_at: 'x' }, 'broken', { id: uuid(0), thread_name: 'Final name', updated_at: 'y' }]);
  const { sessions } = await discover(root);
  cases.forEach(([name, , , expected], i) => assert.deepEqual(shown(sessions.find((s) => s.session === uuid(i))), expected, name));
});

test('Codex: an open writer on the rollout keeps a quiet thread live', async () => {
  const root = tempDir();
  const building = x.write(root, uuid(1), [x.meta(uuid(1)), x.ask('Long build'), x.started()], { ageMs: 60 * MIN });
  const asking = x.write(root, uuid(2), [x.meta(uuid(2)), x.ask('Ship'), x.started(), x.call('c1', 'shell', { sandbox_permissions: 'require_escalated' })], { ageMs: 40 * MIN });
  const state = async () => (await discover(root)).sessions
    .sort((a, b) => a.session.localeCompare(b.session)).map((s) => [s.isRunning, s.analysis.reason || null]);
  const fds = [fs.openSync(building, 'a'), fs.openSync(asking, 'r+')];
  try {
    assert.deepEqual(await state(), [[true, null], [false, APPROVAL]]);
  } finally {
    fds.forEach((fd) => fs.closeSync(fd));
  }
  assert.deepEqual(await state(), [[false, null], [false, null]], 'writer gone: nothing runs or waits');
  const reader = fs.openSync(building, 'r');
  try {
    assert.deepEqual(await state(), [[false, null], [false, null]], 'a reader is not a writer');
  } finally {
    fs.closeSync(reader);
  }
});

test('Codex: subagent threads and mismatched ids are passed over; compressed files need zstd', async () => {
  const root = tempDir();
  const done = (id, more) => [x.meta(id, more), x.ask('Work'), x.started(), x.complete()];
  x.write(root, uuid(1), done(uuid(1)));
  x.write(root, uuid(2), done(uuid(2), { source: { subagent: 'review' } }));
  x.write(root, uuid(3), done(uuid(9)));
  const plain = x.write(root, uuid(4), done(uuid(4)), { day: '2025/11/20', ageMs: 90 * 24 * 60 * MIN });
  fs.writeFileSync(`${plain}.zst`, fs.readFileSync(plain)); // a stand-in: never decompressed without zstd
  fs.rmSync(plain);
  const without = await discover(root);
  assert.deepEqual(without.sessions.map((s) => s.session), [uuid(1)]);
  assert.deepEqual(without.providers.codex, { discovery: 'available', found: 1, skipped: 2 });
  if (!ZSTD) return;
  fs.rmSync(`${plain}.zst`);
  x.write(root, uuid(4), done(uuid(4)), { day: '2025/11/20' });
  execFileSync(ZSTD, ['-q', '--rm', plain]);
  const withZstd = await discover(root, { path: path.dirname(ZSTD), expect: 2 });
  assert.deepEqual(withZstd.sessions.map((s) => s.session).sort(), [uuid(1), uuid(4)].sort());
});
