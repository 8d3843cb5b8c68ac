'use strict';

// Reads JSON lines from the two ends of a transcript that another process may be appending to. A record's
// identity and first request sit at the head, its current state at the tail; the middle is never read.

const MAX_LINE_BYTES = 8 * 1024 * 1024;
const CHUNK_BYTES = 64 * 1024;
const HEAD_BUDGET_BYTES = 512 * 1024;
const TAIL_MAX_WINDOW_BYTES = 1024 * 1024;
const SALVAGE_MAX_BYTES = 1024 * 1024;
const SALVAGE_TRIES = 64;
// How far the head reader scans for the end of an over-long line before it gives the head up.
const SKIP_SCAN_MAX_BYTES = 64 * 1024 * 1024;

const { openRegular } = require('./files');

const isRecord = (value) => Boolean(value) && typeof value === 'object' && !Array.isArray(value);

// A line of either provider, as opposed to an object nested in one (content parts also have a "type").
const isLine = (value) => isRecord(value) && typeof value.type === 'string'
  && ['timestamp', 'sessionId', 'uuid', 'payload', 'leafUuid'].some((key) => key in value);

// Two writers interleaving leave a cut record with a whole one glued on; the whole one is the shortest tail of
// the line that parses on its own and has the keys of a line.
function salvage(text) {
  if (text.length > SALVAGE_MAX_BYTES) return null;
  let at = text.length;
  for (let tries = 0; tries < SALVAGE_TRIES; tries += 1) {
    at = text.lastIndexOf('{"', at - 1);
    if (at <= 0) return null;
    try {
      const value = JSON.parse(text.slice(at));
      if (isLine(value)) return value;
    } catch {
      // an inner object: keep looking further left
    }
  }
  return null;
}

// One line as a record, or null for anything else (blank, malformed, not an object).
function parseLine(buffer, first = false) {
  let text = buffer.toString('utf8');
  if (first && text.charCodeAt(0) === 0xfeff) text = text.slice(1);
  if (text.trim().length === 0) return null;
  try {
    const value = JSON.parse(text);
    return isRecord(value) ? value : null;
  } catch {
    return salvage(text);
  }
}

function readAt(io, fd, position, length) {
  const buffer = Buffer.allocUnsafe(length);
  let filled = 0;
  while (filled < length) {
    const n = io.readSync(fd, buffer, filled, length - filled, position + filled);
    if (n === 0) break;
    filled += n;
  }
  return filled === length ? buffer : buffer.subarray(0, filled);
}

// Splits bytes into records. A segment with no newline after it is the partial last line: it still counts
// when it parses (writers usually end a line in the same write), and is dropped when it does not.
function recordsIn(buffer, from, startsFile) {
  const records = [];
  let start = from;
  while (start < buffer.length) {
    const newline = buffer.indexOf(10, start);
    const end = newline === -1 ? buffer.length : newline;
    if (end - start <= MAX_LINE_BYTES) {
      const record = parseLine(buffer.subarray(start, end), startsFile && start === 0);
      if (record) records.push(record);
    }
    if (newline === -1) break;
    start = newline + 1;
  }
  return records;
}

// Calls visit(record) for each record from the start of the file until it returns true. Stops starting new
// lines past the budget; a line begun inside it is finished up to the line cap. A line over the cap (a pasted
// image, say) is skipped without counting against the budget, so the lines after it are still read.
function readHead(io, fd, size, visit) {
  let position = 0;
  let parts = [];
  let partBytes = 0;
  let skipping = false;
  let skipped = 0;
  let firstLine = true;
  const emit = (buffer) => {
    const record = buffer.length <= MAX_LINE_BYTES ? parseLine(buffer, firstLine) : null;
    firstLine = false;
    return record ? visit(record) === true : false;
  };
  while (position < size) {
    if (position - skipped >= HEAD_BUDGET_BYTES && (partBytes === 0 || skipping)) return;
    if (skipped > SKIP_SCAN_MAX_BYTES) return;
    const chunk = readAt(io, fd, position, Math.min(CHUNK_BYTES, size - position));
    if (chunk.length === 0) break;
    position += chunk.length;
    let start = 0;
    while (start < chunk.length) {
      const newline = chunk.indexOf(10, start);
      const end = newline === -1 ? chunk.length : newline;
      if (skipping) skipped += end - start + (newline === -1 ? 0 : 1);
      else {
        parts.push(chunk.subarray(start, end));
        partBytes += end - start;
        if (partBytes > MAX_LINE_BYTES) {
          skipped += partBytes;
          parts = [];
          partBytes = 0;
          skipping = true;
          firstLine = false;
        }
      }
      if (newline === -1) break;
      if (!skipping && emit(parts.length === 1 ? parts[0] : Buffer.concat(parts))) return;
      parts = [];
      partBytes = 0;
      skipping = false;
      start = newline + 1;
    }
  }
  if (!skipping && partBytes > 0) emit(Buffer.concat(parts));
}

// The records of the last `window` bytes, the cut first line dropped. A last line longer than the window
// widens it until the line fits or passes the cap. `start` tells where the records begin (0: whole file).
function readTail(io, fd, size, window = CHUNK_BYTES) {
  let span = Math.min(size, window);
  for (;;) {
    const start = size - span;
    const buffer = readAt(io, fd, start, span);
    if (start === 0) return { records: recordsIn(buffer, 0, true), start: 0 };
    const newline = buffer.indexOf(10);
    if (newline !== -1 && newline < buffer.length - 1) return { records: recordsIn(buffer, newline + 1, false), start: start + newline + 1 };
    if (span >= MAX_LINE_BYTES + CHUNK_BYTES) return { records: [], start: size };
    span = Math.min(size, span * 4, MAX_LINE_BYTES + CHUNK_BYTES);
  }
}

// Head and tail of one file through one descriptor. `wants` decides after each tail read whether the tail said
// enough about the state; if not, the window grows (up to 1 MiB) and the tail is read again.
function readEnds(io, file, { head, tail, headNeeded = true }) {
  const { fd, stat } = openRegular(io, file);
  try {
    const { size, mtimeMs } = stat;
    if (size <= 2 * CHUNK_BYTES) {
      const records = recordsIn(readAt(io, fd, 0, size), 0, true);
      if (headNeeded) for (const record of records) if (head(record) === true) break;
      tail.reset();
      records.forEach((record) => tail.visit(record));
      return { size, mtimeMs, whole: true };
    }
    if (headNeeded) readHead(io, fd, size, head);
    for (let window = CHUNK_BYTES; ; window *= 4) {
      tail.reset();
      const { records, start } = readTail(io, fd, size, window);
      records.forEach((record) => tail.visit(record));
      if (tail.enough() || start === 0 || window * 4 > TAIL_MAX_WINDOW_BYTES) break;
    }
    return { size, mtimeMs, whole: false };
  } finally {
    io.closeSync(fd);
  }
}

module.exports = { parseLine, recordsIn, readHead, readTail, readEnds, isRecord, MAX_LINE_BYTES, CHUNK_BYTES };
