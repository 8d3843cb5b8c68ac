'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { tempDir } = require('./support');
const { readEnds, parseLine, MAX_LINE_BYTES } = require('../lib/discovery/lines');

// What the head and tail readers hand over for files that are being written, cut or glued.
function ends(content) {
  const file = path.join(tempDir(), 't.jsonl');
  fs.writeFileSync(file, content);
  const head = [];
  const tail = [];
  readEnds(fs, file, { head: (r) => { head.push(r.n); return false; }, tail: { reset: () => { tail.length = 0; }, visit: (r) => tail.push(r.n), enough: () => true } });
  return { head, tail };
}

const line = (n, pad = 0) => JSON.stringify({ n, type: 't', timestamp: 'now', pad: 'x'.repeat(pad) });

test('records read from both ends of a transcript', () => {
  const big = 200 * 1024;
  const cases = [
    ['plain lines', `${line(1)}\n${line(2)}\n`, [1, 2], [1, 2]],
    ['byte-order mark on the first line', `\ufeff${line(1)}\n${line(2)}\n`, [1, 2], [1, 2]],
    ['partial last line is dropped', `${line(1)}\n{"n":2,"pa`, [1], [1]],
    ['complete last line without newline counts', `${line(1)}\n${line(2)}`, [1, 2], [1, 2]],
    ['malformed, non-object and blank lines are skipped', `${line(1)}\nnot json\n[1]\n\n"s"\n${line(2)}\n`, [1, 2], [1, 2]],
    ['a cut record with a whole one glued on yields the whole one', `${line(1)}\n{"n":9,"message":{"x":${line(2)}\n${line(3)}\n`, [1, 2, 3], [1, 2, 3]],
    ['large file: the tail window starts at a line boundary', `${line(1)}\n${line(2, big)}\n${line(3, big)}\n${line(4)}\n`, [1, 2, 3, 4], [4]],
    ['a last line longer than the window is read whole', `${line(1)}\n${line(2, 2 * 1024 * 1024)}\n${line(3, 3 * 1024 * 1024)}\n`, [1, 2, 3], [3]],
  ];
  for (const [name, content, head, tail] of cases) assert.deepEqual(ends(content), { head, tail }, name);
});

test('a line over the cap is skipped, the lines around it still count', () => {
  const huge = `{"n":2,"pad":"${'y'.repeat(MAX_LINE_BYTES + 10)}"}`;
  assert.deepEqual(ends(`${line(1)}\n${huge}\n${line(3)}\n`), { head: [1, 3], tail: [3] });
  assert.deepEqual(ends(`${line(1, 100 * 1024)}\n${huge}\n`).tail, [], 'the tail gives up on a last line over the cap');
});

test('a salvaged line is the glued record, never an inner object', () => {
  assert.deepEqual(parseLine(Buffer.from('{"type":"user","message":{"content":[{"type":"text","text":"hi"}]}')), null);
  const glued = { type: 'system', subtype: 'turn_duration', timestamp: '2026-03-02T09:00:00Z' };
  assert.deepEqual(parseLine(Buffer.from(`{"type":"user","mess${JSON.stringify(glued)}`)), glued);
});
