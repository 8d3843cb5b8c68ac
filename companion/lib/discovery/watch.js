'use strict';

// Folder watches (inotify through fs.watch), at most `max` at a time. A folder whose watch fails or errors is
// left to the poll, and tried again only after a pause so a failing folder cannot cost a watch per sweep.

const RETRY_MS = 60000;

class Watches {
  constructor({ io, max = 256, now = Date.now, onEvent }) {
    Object.assign(this, { io, max, now, onEvent });
    this.active = new Map();
    this.failed = new Map();
  }

  // Watches exactly the first `max` folders of `dirs` (in priority order) that can be watched.
  sync(dirs) {
    const wanted = new Set();
    const now = this.now();
    for (const [dir, at] of this.failed) if (now - at >= RETRY_MS) this.failed.delete(dir);
    for (const dir of dirs) {
      if (wanted.size >= this.max) break;
      if (this.active.has(dir)) {
        wanted.add(dir);
        continue;
      }
      if (now - (this.failed.get(dir) || -Infinity) < RETRY_MS) continue;
      try {
        const watcher = this.io.watch(dir, { persistent: false }, (type, name) => this.onEvent(dir, typeof name === 'string' ? name : null));
        watcher.on('error', () => this.drop(dir, true));
        this.active.set(dir, watcher);
        this.failed.delete(dir);
        wanted.add(dir);
      } catch {
        this.failed.set(dir, now);
      }
    }
    for (const dir of [...this.active.keys()]) if (!wanted.has(dir)) this.drop(dir, false);
  }

  drop(dir, failed) {
    const watcher = this.active.get(dir);
    this.active.delete(dir);
    if (failed) this.failed.set(dir, this.now());
    try {
      if (watcher) watcher.close();
    } catch {
      // already closed
    }
  }

  close() {
    for (const dir of [...this.active.keys()]) this.drop(dir, false);
  }
}

module.exports = { Watches };
