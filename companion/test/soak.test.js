'use strict';

// A host that runs all day keeps a flat heap: fast ticks and heartbeats, and a stream of distinct request ids.

const test = require('node:test');
const assert = require('node:assert/strict');
const v8 = require('node:v8');
const vm = require('node:vm');
const { PassThrough } = require('node:stream');
const { runHost } = require('../lib/host');
const { REMEMBERED_REQUESTS } = require('../lib/state');
const { tempDir } = require('./support');

v8.setFlagsFromString('--expose-gc');
const gc = vm.runInNewContext('gc');
const heapAfterGc = () => {
  gc();
  gc();
  return process.memoryUsage().heapUsed;
};
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

test('the heap stays flat over many ticks, heartbeats and commands', async () => {
  const stdin = new PassThrough();
  const stdout = new PassThrough();
  stdout.resume();
  const env = { VODU_HOST_DISCOVERY: 'off', VODU_HOST_TICK_MS: '2', VODU_HOST_HEARTBEAT_MS: '1', VODU_HOME: tempDir() };
  const host = runHost({ env, entryPath: __filename, baseDir: `${__dirname}/..`, stdin, stdout, stderr: new PassThrough(), exit: () => {} });
  let sent = 0;
  const commands = setInterval(() => {
    for (let i = 0; i < 20; i += 1) {
      sent += 1;
      stdin.write(`${JSON.stringify({ id: `c${sent}`, action: 'session_deadline_decide', requestId: `r${sent}` })}\n`);
    }
  }, 2);
  try {
    await sleep(1500); // warm-up: code compiled, buffers sized
    const warm = heapAfterGc();
    await sleep(3000);
    const later = heapAfterGc();
    assert.ok(sent > 1000, `only ${sent} commands were sent`);
    assert.ok(later - warm < 1024 * 1024, `heap grew by ${later - warm} bytes after warm-up`);
  } finally {
    clearInterval(commands);
    host.finish(0);
  }
});

test('only the newest request ids are remembered', () => {
  const { HostState } = require('../lib/state');
  const { normaliseScenario } = require('../lib/scenario');
  const state = new HostState({ scenario: normaliseScenario({}, Date.now()) });
  for (let i = 0; i < REMEMBERED_REQUESTS + 100; i += 1) state.appliedRequests.set(`r${i}`, { key: 'k', choice: 'c' });
  assert.equal(state.appliedRequests.size, REMEMBERED_REQUESTS);
  assert.ok(!state.appliedRequests.has('r0'));
  assert.ok(state.appliedRequests.has(`r${REMEMBERED_REQUESTS + 99}`));
});
