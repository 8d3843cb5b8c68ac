'use strict';

// The app drops any line longer than this (newline not counted), so we never write one.
const MAX_FRAME_BYTES = 8388608;

// Lines the app must skip: not JSON, not an object, or no string "type".
const GARBAGE = ['this is not json', '{"type":', '[1,2,3]', '{"status":{}}', '{"type":7}', '"status"', '', 'null'];

class FrameWriter {
  constructor(out, { faults, log, onCrash }) {
    this.out = out;
    this.faults = faults;
    this.log = log;
    this.onCrash = onCrash;
    this.frames = 0;
    this.garbageIndex = 0;
    this.closed = false;
  }

  write(message) {
    if (this.closed) return false;
    let line;
    try {
      line = JSON.stringify(message);
    } catch (error) {
      this.log(`dropped an unserialisable ${message && message.type} frame: ${error.message}`);
      return false;
    }
    return this.writeLine(line, message.type);
  }

  // A frame already serialised.
  writeLine(line, type) {
    if (this.closed) return false;
    if (Buffer.byteLength(line) > MAX_FRAME_BYTES) {
      this.log(`dropped a ${type} frame over ${MAX_FRAME_BYTES} bytes`);
      return false;
    }
    this.out.write(line + '\n');
    this.frames += 1;
    if (this.faults.garbage) this.out.write(GARBAGE[this.garbageIndex++ % GARBAGE.length] + '\n');
    if (this.faults.crashAfter && this.frames >= this.faults.crashAfter) {
      this.closed = true;
      this.onCrash();
    }
    return true;
  }

  writeOversized() {
    const padding = 'x'.repeat(MAX_FRAME_BYTES + 1024);
    this.out.write(`{"type":"status","status":{},"padding":"${padding}"}\n`);
  }
}

// Splits input bytes into lines; a line over the cap is skipped up to its newline.
class LineReader {
  constructor(maxBytes, onLine, onOversized) {
    this.maxBytes = maxBytes;
    this.onLine = onLine;
    this.onOversized = onOversized;
    this.parts = [];
    this.size = 0;
    this.discarding = false;
  }

  push(chunk) {
    let start = 0;
    while (start < chunk.length) {
      const newline = chunk.indexOf(10, start);
      const end = newline === -1 ? chunk.length : newline;
      if (!this.discarding) {
        if (end - start <= this.maxBytes - this.size) {
          this.parts.push(chunk.subarray(start, end));
          this.size += end - start;
        } else {
          this.reset();
          this.discarding = true;
          this.onOversized();
        }
      }
      if (newline === -1) return;
      if (!this.discarding) this.onLine(Buffer.concat(this.parts).toString('utf8'));
      this.reset();
      start = newline + 1;
    }
  }

  // A last command without its newline still counts.
  end() {
    if (!this.discarding && this.size > 0) this.onLine(Buffer.concat(this.parts).toString('utf8'));
    this.reset();
  }

  reset() {
    this.parts = [];
    this.size = 0;
    this.discarding = false;
  }
}

module.exports = { MAX_FRAME_BYTES, FrameWriter, LineReader };
