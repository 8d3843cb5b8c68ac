'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { startHost, tempDir } = require('./support');
const { MAX_FRAME_BYTES } = require('../lib/framing');
const { lockPath } = require('../lib/lock');

function assertWellFramed(raw) {
  for (const line of raw) {
    assert.ok(Buffer.byteLength(line) <= MAX_FRAME_BYTES);
    const message = JSON.parse(line);
    assert.equal(typeof message.type, 'string', line.slice(0, 80));
  }
}

test('every command gets exactly one result with its id; bad input never breaks the host', async () => {
  const host = startHost();
  await host.waitFor((m) => m.type === 'status');
  const cases = [
    [{ id: 'ok-1', action: 'refresh' }, true],
    [{ id: 'no-action' }, false],
    [{ id: 'bad-action', action: 42 }, false],
    [{ id: 'unknown', action: 'format_disk' }, false],
    [{ id: 'proto', action: '__proto__' }, false],
    [{ id: 'force', action: 'refresh', force: 'yes' }, false],
    [{ id: 'taskkey', action: 'task_detail', taskKey: 7 }, false],
    [{ id: 'field', action: 'session_analyze', provider: ['codex'], session: 's' }, false],
    [{ id: 'detail', action: 'task_detail', taskKey: 'tsk_security_q3' }, true],
    [{ id: 'dup', action: 'refresh' }, true],
    [{ id: 'dup', action: 'refresh' }, true],
  ];
  host.send('this is not json');
  host.send('[1,2,3]');
  host.send('{"action":"refresh"}');
  host.send('{"id":17,"action":"refresh"}');
  host.send('');
  for (const [command] of cases) host.send(command);
  host.child.stdin.write('{"id":"crlf","action":"refresh"}\r\n');
  await host.result('crlf');
  for (const [command, ok] of cases) assert.equal((await host.result(command.id)).ok, ok, command.id);
  const results = host.messages().filter((m) => m.type === 'result');
  assert.deepEqual(results.map((r) => r.id), [...cases.map(([c]) => c.id), 'crlf']);
  for (const failed of results.filter((r) => !r.ok)) assert.ok(failed.message.length > 0, failed.id);
  const detailIndex = host.messages().findIndex((m) => m.type === 'task_detail');
  assert.equal(host.messages()[detailIndex].taskKey, 'tsk_security_q3');
  assert.ok(detailIndex < host.messages().findIndex((m) => m.id === 'detail'), 'detail before its result');
  assert.equal(await host.stop(), 0);
  assertWellFramed(host.raw);
});

test('status comes at start, after changes and on every heartbeat, with a fresh sampledAt', async () => {
  const quiet = path.join(tempDir(), 'quiet.json');
  fs.writeFileSync(quiet, JSON.stringify({ status: { pluginSetup: { state: 'ready' } } }));
  const host = startHost({ env: { VODU_HOST_HEARTBEAT_MS: '60', VODU_HOST_SCENARIO: quiet } });
  const statuses = () => host.messages().filter((m) => m.type === 'status');
  await host.waitFor(() => statuses().length >= 4);
  const stamps = statuses().map((m) => Date.parse(m.status.sampledAt));
  assert.ok(stamps.every((t) => Number.isFinite(t)) && stamps.at(-1) >= stamps[0]);
  host.send({ id: 'plugins', action: 'install_plugins' });
  await host.waitFor((m) => m.type === 'status' && m.status.pluginSetup.state === 'installing');
  await host.waitFor((m) => m.type === 'status' && m.status.pluginSetup.state === 'ready' && m.status.pluginSetup.refreshPending);
  await host.stop();
});

test('quit is refused while tasks run, and otherwise answered before the host exits cleanly', async () => {
  const busy = startHost();
  busy.send({ id: 'q1', action: 'quit' });
  assert.match((await busy.result('q1')).message, /1 task\(s\) still running/);
  busy.send({ id: 'q2', action: 'quit', force: true });
  assert.equal(await busy.exited, 0);
  assert.deepEqual(JSON.parse(busy.raw.at(-1)), { type: 'result', id: 'q2', ok: true });
  assert.equal(fs.existsSync(lockPath(busy.home)), false, 'lock released');

  const idleScenario = path.join(tempDir(), 'idle.json');
  fs.writeFileSync(idleScenario, JSON.stringify({ status: { tasks: { items: [{ key: 't', state: 'failed' }] } } }));
  const idle = startHost({ env: { VODU_HOST_SCENARIO: idleScenario } });
  idle.send({ id: 'q3', action: 'quit' });
  assert.equal(await idle.exited, 0);
  assert.equal(JSON.parse(idle.raw.at(-1)).ok, true);
});

test('a broken scenario is reported and the host still serves an empty state', async () => {
  const dir = tempDir();
  fs.writeFileSync(path.join(dir, 'broken.json'), '{"status": ');
  const host = startHost({ env: { VODU_HOST_SCENARIO: path.join(dir, 'broken.json') } });
  await host.waitFor((m) => m.type === 'error' && /could not be loaded/.test(m.message));
  const { status } = await host.waitFor((m) => m.type === 'status');
  assert.deepEqual([status.tasks.activeCount, status.deliveryHooks.runs], [0, []]);
  host.send({ id: 'r', action: 'refresh' });
  assert.equal((await host.result('r')).ok, true);
  await host.stop();
});
