'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const { startHost } = require('./support');
const { MAX_FRAME_BYTES } = require('../lib/framing');
const { parseFaults } = require('../lib/faults');

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const parses = (line) => { try { const m = JSON.parse(line); return Boolean(m) && typeof m.type === 'string'; } catch { return false; } };

test('fault modes', async (t) => {
  const cases = {
    silent: async (host) => {
      host.send({ id: 'r', action: 'refresh' });
      assert.equal((await host.result('r')).ok, true);
      await pause(300);
      assert.equal(host.messages().filter((m) => m.type === 'status').length, 0);
    },
    'no-results': async (host) => {
      await host.waitFor((m) => m.type === 'status');
      host.send({ id: 'r', action: 'refresh' });
      host.send({ id: 'q', action: 'quit', force: true });
      await pause(300);
      assert.equal(host.messages().filter((m) => m.type === 'result').length, 0);
      assert.equal(host.child.exitCode, null, 'an unanswered quit is not carried out');
    },
    'slow-results=250': async (host) => {
      const sent = Date.now();
      host.send({ id: 'r', action: 'refresh' });
      await host.result('r');
      assert.ok(Date.now() - sent >= 240);
    },
    'oversized-line': async (host) => {
      await host.waitFor((m) => m.type === 'status');
      assert.ok(Buffer.byteLength(host.raw[0]) > MAX_FRAME_BYTES);
      assert.ok(host.raw.slice(1).every(parses));
    },
    garbage: async (host) => {
      host.send({ id: 'r', action: 'refresh' });
      await host.result('r');
      assert.ok(host.raw.length >= 3);
      host.raw.forEach((line, i) => assert.equal(parses(line), i % 2 === 0, `line ${i}: ${line.slice(0, 40)}`));
    },
    'crash-after=3': async (host) => {
      host.send({ id: 'a', action: 'refresh' });
      host.send({ id: 'b', action: 'refresh' });
      host.send({ id: 'c', action: 'refresh' });
      assert.equal(await host.exited, 1);
      assert.equal(host.raw.length, 3);
    },
    'refuse-quit': async (host) => {
      host.send({ id: 'q', action: 'quit', force: true });
      assert.match((await host.result('q')).message, /declined/);
      host.send({ id: 'r', action: 'refresh' });
      assert.equal((await host.result('r')).ok, true);
    },
  };
  for (const [fault, check] of Object.entries(cases)) {
    await t.test(fault, async () => {
      const host = startHost({ env: { VODU_HOST_FAULT: fault, VODU_HOST_HEARTBEAT_MS: '50' } });
      try {
        await check(host);
      } finally {
        host.child.stdin.end();
        await host.exited;
      }
    });
  }
});

test('fault lists combine and reject malformed entries', () => {
  const faults = parseFaults(' garbage, slow-results=20,crash-after=0,slow-results=x,bogus ');
  assert.deepEqual([faults.garbage, faults.slowResultsMs, faults.crashAfter], [true, 20, 0]);
  assert.equal(faults.problems.length, 3);
});
