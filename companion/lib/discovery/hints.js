'use strict';

const path = require('node:path');
const { openRegular } = require('./files');

// Both providers append a line to `<root>/history.jsonl` for every prompt typed, naming the conversation
// ("sessionId" for Claude Code, "session_id" for Codex). The provider root is watched, so a new line tells
// which conversation just became active even when its folder is one no watch covers. Only lines appended
// since the last read are read, at most MAX_READ_BYTES at a time.

const MAX_READ_BYTES = 1024 * 1024;

class HistoryHints {
  constructor(io, root) {
    this.io = io;
    this.file = path.join(root, 'history.jsonl');
    this.offset = this.size();
  }

  size() {
    try {
      return this.io.statSync(this.file).size;
    } catch {
      return 0;
    }
  }

  // The conversation ids of the lines appended since the last call, with the working folder when given.
  read() {
    const size = this.size();
    if (size < this.offset) this.offset = 0;
    if (size === this.offset) return [];
    const start = Math.max(this.offset, size - MAX_READ_BYTES);
    let opened;
    try {
      opened = openRegular(this.io, this.file);
    } catch {
      return [];
    }
    let text;
    try {
      const buffer = Buffer.allocUnsafe(size - start);
      const n = this.io.readSync(opened.fd, buffer, 0, buffer.length, start);
      const last = buffer.lastIndexOf(10, n - 1);
      if (last < 0) return [];
      text = buffer.subarray(0, last).toString('utf8');
      this.offset = start + last + 1;
    } catch {
      return [];
    } finally {
      this.io.closeSync(opened.fd);
    }
    const hints = [];
    for (const line of text.split('\n')) {
      try {
        const entry = JSON.parse(line);
        const id = entry && (entry.sessionId || entry.session_id);
        if (typeof id === 'string' && id) hints.push({ id: id.toLowerCase(), cwd: typeof entry.project === 'string' ? entry.project : undefined });
      } catch {
        // a cut or foreign line
      }
    }
    return hints.slice(-32);
  }
}

module.exports = { HistoryHints };
