'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { tempDir } = require('./support');
const { claude: c, uuid, writeLines } = require('./transcripts');
const { Discovery } = require('../lib/discovery');
const { checkSnapshot } = require('../lib/shape');

const MIN = 60 * 1000;

function discover(root) {
  const discovery = new Discovery({ env: { PATH: '', CLAUDE_CONFIG_DIR: root, CODEX_HOME: path.join(root, 'no-codex') }, probe: false, watch: false });
  const found = discovery.start();
  discovery.stop();
  return found;
}

// What the list shows of one conversation: title, and running / waiting for the user.
const shown = (record) => record && ({ title: record.title, running: record.isRunning, asks: record.analysis.reason || null });
const ASKS = {
  question: 'Claude Code asked a question and is waiting for your answer.',
  plan: 'Claude Code proposed a plan and is waiting for your approval.',
  permission: 'Claude Code is probably waiting for your permission to use a tool.',
};

function ownStart() {
  const stat = fs.readFileSync('/proc/self/stat', 'utf8');
  return stat.slice(stat.lastIndexOf(')') + 2).split(' ')[19];
}

test('Claude Code conversations: titles and turn state from the transcript', () => {
  const root = tempDir();
  const long = `Please   look at\nthe ${'very '.repeat(60)}long request`;
  const cases = [
    ['custom title beats generated title and request', [c.user('Fix login'), c.reply('Done.'), c.end(), c.aiTitle('Login fix'), c.title('Renamed'), c.title('Renamed again')], {},
      { title: 'Renamed again', running: false, asks: null }],
    ['generated title beats the request', [c.user('Fix login'), c.aiTitle('Login fix'), c.reply('Done.'), c.end()], {}, { title: 'Login fix', running: false, asks: null }],
    ['first real request: injected, meta and command lines are passed over', [
      c.user('<command-name>/clear</command-name>\n<command-message>clear</command-message>'),
      c.user('<local-command-stdout></local-command-stdout>'),
      c.user('Expanded command text', { isMeta: true }),
      c.user([{ type: 'text', text: '<system-reminder>stay brief</system-reminder>' }, { type: 'text', text: long }]),
      c.reply('ok', 'end_turn')],
    {}, { title: `Please look at the ${'very '.repeat(60)}long request`.slice(0, 180).trimEnd(), running: false, asks: null }],
    ['open turn with a pending tool, just written', [c.user('Run the tests'), c.tool('t1')], {}, { title: 'Run the tests', running: true, asks: null }],
    ['open turn nobody wrote to for an hour', [c.user('Run the tests'), c.tool('t1')], { ageMs: 60 * MIN }, { title: 'Run the tests', running: false, asks: null }],
    ['answered tool call, model still working', [c.user('Go'), c.tool('t1'), c.result('t1')], {}, { title: 'Go', running: true, asks: null }],
    ['pending question', [c.user('Plan the move'), c.tool('q1', 'AskUserQuestion')], { ageMs: 20 * MIN }, { title: 'Plan the move', running: false, asks: ASKS.question }],
    ['a question nobody answered for two hours still waits', [c.user('Plan the move'), c.tool('q1', 'AskUserQuestion')], { ageMs: 120 * MIN }, { title: 'Plan the move', running: false, asks: ASKS.question }],
    ['begun with a slash command: the command typed, not its expansion', [
      c.user('<command-message>orchestrator is running…</command-message>\n<command-name>/orchestrator</command-name>\n<command-args>create TODO app</command-args>'),
      c.user('You are the orchestrator. Expanded instructions follow.'), c.reply('ok', 'end_turn')],
    {}, { title: '/orchestrator create TODO app', running: false, asks: null }],
    ['a first line too long to read is skipped, not the conversation', [
      JSON.stringify({ type: 'user', message: { role: 'user', content: 'x'.repeat(9 * 1024 * 1024) } }), c.user('After the pasted log'), c.reply('ok'), c.end()],
    {}, { title: 'After the pasted log', running: false, asks: null }],
    ['pending plan approval', [c.user('Plan the move'), c.tool('p1', 'ExitPlanMode')], {}, { title: 'Plan the move', running: false, asks: ASKS.plan }],
    ['question already answered', [c.user('Plan'), c.tool('q1', 'AskUserQuestion'), c.result('q1'), c.reply('Thanks'), c.end()], {}, { title: 'Plan', running: false, asks: null }],
    ['interrupted by the user', [c.user('Go'), c.tool('t1'), c.user('[Request interrupted by user for tool use]')], {}, { title: 'Go', running: false, asks: null }],
    ['older shape: end_turn and no end record', [c.user('Old'), c.reply('Done.', 'end_turn')], {}, { title: 'Old', running: false, asks: null }],
    ['older shape: a reply, no end record, quiet for minutes', [c.user('Old'), c.reply('Done.')], { ageMs: 2 * MIN }, { title: 'Old', running: false, asks: null }],
    ['malformed line, byte-order mark and a partial last line', [`\ufeff${JSON.stringify({ type: 'file-history-snapshot', snapshot: {} })}`, c.user('Survives'), 'garbage{', c.reply('Done.'), c.end(), '{"type":"assistant","mess'], {},
      { title: 'Survives', running: false, asks: null }],
    ['unknown line types and keys are ignored', [{ type: 'worktree-state', state: {} }, c.user('Known', { brandNew: 1 }), { type: 'queue-operation', operation: 'x' }, c.reply('ok'), c.end()], {},
      { title: 'Known', running: false, asks: null }],
  ];
  cases.forEach(([, lines, options], i) => c.write(root, uuid(i), lines, options));
  const { sessions, providers } = discover(root);
  assert.deepEqual(checkSnapshot({ sessionSupervision: { sessions, providers } }), []);
  cases.forEach(([name, , , expected], i) => assert.deepEqual(shown(sessions.find((s) => s.session === uuid(i))), expected, name));
  const first = sessions.find((s) => s.session === uuid(0));
  assert.deepEqual([first.cwd, first.provider, first.originalSessionTarget.kind, Object.values(first.capabilities).some(Boolean)], ['/home/dev/shop', 'claude', 'manual', false]);
});

test('Claude Code: summaries title only the conversation whose line they name', () => {
  const root = tempDir();
  c.write(root, uuid(1), [c.summary('Checkout rework', `${uuid(1).slice(0, 8)}-line-2`), c.user('Rework checkout'), c.reply('ok'), c.end()]);
  c.write(root, uuid(2), [c.summary('Something else entirely', 'no-such-line'), c.user('Tidy the docs'), c.reply('ok'), c.end()]);
  const titles = Object.fromEntries(discover(root).sessions.map((s) => [s.session, s.title]));
  assert.deepEqual(titles, { [uuid(1)]: 'Checkout rework', [uuid(2)]: 'Tidy the docs' });
});

test('Claude Code: subagents, side chains and mismatched files are not conversations', () => {
  const root = tempDir();
  const lines = [c.user('Parent'), c.reply('ok'), c.end()];
  c.write(root, uuid(1), lines);
  c.write(root, uuid(1), lines.map((l) => ({ ...l, isSidechain: true })), { name: `${uuid(1)}/subagents/agent-a1b2.jsonl` });
  c.write(root, uuid(1), lines.map((l) => ({ ...l, isSidechain: true })), { name: 'agent-a1b2c3.jsonl' });
  c.write(root, uuid(2), lines.map((l) => ({ ...l, isSidechain: true })));
  c.write(root, uuid(3), lines, { name: `${uuid(4)}.jsonl` });
  c.write(root, uuid(5), lines, { name: 'notes.jsonl' });
  const { sessions, providers } = discover(root);
  assert.deepEqual(sessions.map((s) => s.session), [uuid(1)]);
  assert.deepEqual(providers.claude, { discovery: 'available', found: 1, skipped: 1 });
});

test('Claude Code: a live-process record is trusted only while its process runs', () => {
  const root = tempDir();
  const gone = spawnSync(process.execPath, ['-e', '']).pid;
  const record = (pid, id, procStart, status) => writeLines(path.join(root, 'sessions', `${id.slice(0, 8)}.json`), [{ pid, sessionId: id, cwd: '/home/dev/shop', startedAt: 1, procStart, status }]);
  const open = [c.user('Deploy'), c.tool('t1')];
  c.write(root, uuid(1), open);
  record(gone, uuid(1), '12345', 'busy');
  c.write(root, uuid(2), open, { ageMs: 60 * MIN });
  record(process.pid, uuid(2), ownStart(), 'busy');
  c.write(root, uuid(3), open, { ageMs: 60 * MIN });
  record(process.pid, uuid(3), '1', 'busy');
  c.write(root, uuid(4), open, { ageMs: 10 * 1000 });
  record(process.pid, uuid(4), ownStart(), 'waiting');
  c.write(root, uuid(5), [c.user('Done?'), c.reply('Yes.')], { ageMs: 60 * MIN });
  record(process.pid, uuid(5), ownStart(), 'busy');
  const state = Object.fromEntries(discover(root).sessions.map((s) => [s.session, shown(s)]));
  assert.deepEqual(state[uuid(1)], { title: 'Deploy', running: false, asks: null }, 'process gone: the fresh open turn is dead');
  assert.deepEqual(state[uuid(2)], { title: 'Deploy', running: true, asks: null }, 'process alive and busy: running however old the file');
  assert.deepEqual(state[uuid(3)], { title: 'Deploy', running: false, asks: null }, 'pid reused by another process');
  assert.deepEqual(state[uuid(4)], { title: 'Deploy', running: false, asks: ASKS.permission }, 'alive, a tool call pending and quiet');
  assert.deepEqual(state[uuid(5)], { title: 'Done?', running: true, asks: null }, 'the process record outranks the transcript');
});
