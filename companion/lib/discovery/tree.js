'use strict';

const path = require('node:path');
const { performance } = require('node:perf_hooks');
const { unreadableKind } = require('./files');

// The transcript files of one provider with their size and modification time. Folder watches carry the
// changes; a sweep is the safety net. A full one reads everything. Otherwise it looks at the folders and
// files that can plausibly change (written in the last day) and at a rotating share of the rest, so a change
// no watch saw is found within ROUNDS sweeps (an empty, old folder within EMPTY_ROUNDS), and an idle tree of
// any size costs a bounded share of its size per sweep.

const HOT_MS = 60 * 60 * 1000;
const RECENT_MS = 24 * 60 * 60 * 1000;
const SETTLE_MS = 2000; // a folder changed this recently may change again within the same timestamp tick
const ROUNDS = 60;
const NO_CHILDREN = Object.freeze(new Set()); // shared by every empty folder: a large tree of them stays small
const EMPTY_ROUNDS = 360;

class FileIndex {
  constructor({ io, base, depth, acceptDir, fileId, now = Date.now }) {
    Object.assign(this, { io, base, depth, acceptDir, fileId, now });
    this.dirs = new Map();
    this.files = new Map();
    this.order = null;
    this.cursor = 0;
    this.error = null;
    this.missing = false;
    this.unreadable = new Map(); // folder -> why it could not be read
    this.irregular = new Set(); // transcript names that are not regular files (FIFO, device, link)
    this.fresh = new Set();
    this.leafOrder = null;
    this.leafCursor = 0;
    this.deferUntil = Infinity; // past this moment a sweep leaves transcript folders to drain()
    this.deferred = [];
    this.passes = 0;
    this.buckets = 0;
  }

  // Returns the paths of files added, changed or removed. Throws nothing: a base folder that cannot be read
  // is left in `error` and the index is emptied. Transcript folders not reached within `budgetMs` wait in
  // `deferred` for drain(), so a huge tree never holds the service for long.
  sweep(full = false, budgetMs = Infinity) {
    const changed = new Set();
    const now = this.now();
    let stat;
    this.deferUntil = performance.now() + budgetMs;
    try {
      stat = this.io.statSync(this.base);
      if (!stat.isDirectory()) throw Object.assign(new Error('not a folder'), { code: 'ENOTDIR' });
      this.error = null;
      this.missing = false;
      this.visit(this.base, 0, full ? 'full' : 'changed', now, changed);
    } catch (error) {
      this.clear(changed);
      this.missing = error.code === 'ENOENT';
      this.error = this.missing ? null : error;
      return changed;
    } finally {
      this.deferUntil = Infinity;
    }
    const active = new Set();
    for (const [file, entry] of this.files) {
      if (full || entry.size < 0 || entry.mtimeMs >= now - HOT_MS) this.statFile(file, entry, changed);
      if (entry.mtimeMs >= now - RECENT_MS) active.add(entry.dir);
    }
    if (!full) {
      this.sweepLeaves(active, now, changed);
      this.statColdSlice(now, changed);
    }
    return changed;
  }

  // The transcript folders written in the last day, and a rotating share of the others: all of them within
  // ROUNDS sweeps, an empty one only on every (EMPTY_ROUNDS / ROUNDS)th pass. Costs the share, not the tree.
  sweepLeaves(active, now, changed) {
    if (!this.leafOrder) {
      this.leafOrder = [];
      for (const [dir, known] of this.dirs) if (known.level === this.depth) this.leafOrder.push(dir);
    }
    const due = new Set(active);
    const count = Math.ceil(this.leafOrder.length / ROUNDS);
    const emptyPasses = EMPTY_ROUNDS / ROUNDS;
    for (let i = 0; i < count; i += 1) {
      if (this.leafCursor >= this.leafOrder.length) {
        this.leafCursor = 0;
        this.passes += 1;
      }
      const dir = this.leafOrder[this.leafCursor];
      this.leafCursor += 1;
      const known = this.dirs.get(dir);
      if (known && (known.children.size > 0 || (known.bucket + this.passes) % emptyPasses === 0)) due.add(dir);
    }
    for (const dir of due) {
      const known = this.dirs.get(dir);
      if (known) this.visit(dir, known.level, 'changed', now, changed);
    }
  }

  // A watch event: `name` (null: anything) changed inside `dir`.
  touch(dir, name) {
    const changed = new Set();
    const entry = name ? this.files.get(path.join(dir, name)) : undefined;
    if (entry) {
      this.statFile(path.join(dir, name), entry, changed);
      return changed;
    }
    const known = this.dirs.get(dir);
    if (!known) return changed;
    try {
      this.visit(dir, known.level, 'self', this.now(), changed);
    } catch {
      return changed; // the base went away: the next sweep reports it
    }
    const listed = this.dirs.get(dir);
    if (!name && listed && listed.level === this.depth) {
      for (const file of listed.children) this.statFile(file, this.files.get(file), changed);
    }
    for (const file of this.fresh) this.statFile(file, this.files.get(file), changed);
    return changed;
  }

  // mode: 'full' re-reads every folder, 'self' this one and changed ones below, 'changed' only changed ones.
  visit(dir, level, mode, now, changed) {
    let stat;
    try {
      stat = this.io.statSync(dir);
    } catch (error) {
      if (level === 0) throw error;
      this.dropDir(dir, changed);
      return;
    }
    let known = this.dirs.get(dir);
    const relisted = !known || mode !== 'changed' || known.mtimeMs !== stat.mtimeMs || now - stat.mtimeMs < SETTLE_MS;
    if (relisted) {
      if (!this.list(dir, level, stat.mtimeMs, changed)) return;
      known = this.dirs.get(dir);
    }
    if (level >= this.depth) return;
    // Below a folder that is not re-read in full, transcript folders already known are the leaf sweep's: only
    // a folder just listed can have new ones.
    const leaves = mode !== 'full' && level + 1 === this.depth;
    if (leaves && !relisted) return;
    for (const sub of known.children) {
      if (leaves && this.dirs.has(sub)) continue;
      if (level + 1 === this.depth && performance.now() > this.deferUntil) this.deferred.push(sub);
      else this.visit(sub, level + 1, mode === 'full' ? 'full' : 'changed', now, changed);
    }
  }

  // Lists deferred transcript folders for up to `budgetMs`; returns the files found or changed.
  drain(budgetMs) {
    const changed = new Set();
    const until = performance.now() + budgetMs;
    const now = this.now();
    while (this.deferred.length > 0 && performance.now() < until) {
      const dir = this.deferred.pop();
      if (!this.dirs.has(dir)) this.visit(dir, this.depth, 'full', now, changed);
    }
    for (const file of this.fresh) this.statFile(file, this.files.get(file), changed);
    return changed;
  }

  // Re-reads one folder; false when it cannot be read (it is then left out and counted).
  list(dir, level, mtimeMs, changed) {
    let entries;
    try {
      entries = this.io.readdirSync(dir, { withFileTypes: true });
    } catch (error) {
      if (level === 0) throw error;
      this.dropDir(dir, changed);
      this.unreadable.set(dir, unreadableKind(error));
      return false;
    }
    this.unreadable.delete(dir);
    const previous = this.dirs.get(dir);
    const children = new Set();
    if (level < this.depth) {
      for (const e of entries) if (e.isDirectory() && this.acceptDir(e.name, level + 1)) children.add(path.join(dir, e.name));
      if (previous) for (const sub of previous.children) if (!children.has(sub)) this.dropDir(sub, changed);
    } else {
      for (const file of this.irregular) if (path.dirname(file) === dir) this.irregular.delete(file);
      for (const e of entries) {
        const id = this.fileId(e.name);
        if (!id) continue;
        const file = path.join(dir, e.name);
        if (!e.isFile()) {
          this.irregular.add(file);
          continue;
        }
        children.add(file);
        if (!this.files.has(file)) {
          this.files.set(file, { dir, ...id, size: -1, mtimeMs: -1 });
          this.fresh.add(file);
          this.order = null;
        }
      }
      if (previous) for (const file of previous.children) if (!children.has(file)) this.dropFile(file, changed);
    }
    if (!previous && level === this.depth) this.leafOrder = null;
    this.dirs.set(dir, { level, mtimeMs, children: children.size > 0 ? children : NO_CHILDREN, lastWrite: previous ? previous.lastWrite : -Infinity, bucket: previous ? previous.bucket : this.buckets++ });
    return true;
  }

  statFile(file, entry, changed) {
    let stat;
    try {
      stat = this.io.statSync(file);
    } catch {
      this.dropFile(file, changed);
      return;
    }
    if (stat.size === entry.size && stat.mtimeMs === entry.mtimeMs) return;
    this.fresh.delete(file);
    entry.size = stat.size;
    entry.mtimeMs = stat.mtimeMs;
    const folder = this.dirs.get(entry.dir);
    if (folder && stat.mtimeMs > folder.lastWrite) folder.lastWrite = stat.mtimeMs;
    changed.add(file);
  }

  statColdSlice(now, changed) {
    if (!this.order) {
      this.order = [...this.files.keys()];
      this.cursor = 0;
    }
    const count = Math.min(Math.ceil(this.order.length / ROUNDS), this.order.length);
    for (let i = 0; i < count; i += 1) {
      if (this.cursor >= this.order.length) this.cursor = 0;
      const file = this.order[this.cursor];
      this.cursor += 1;
      const entry = this.files.get(file);
      if (entry && entry.mtimeMs < now - HOT_MS) this.statFile(file, entry, changed);
    }
  }

  dropFile(file, changed) {
    this.fresh.delete(file);
    if (this.files.delete(file)) {
      changed.add(file);
      this.order = null;
    }
  }

  dropDir(dir, changed) {
    const known = this.dirs.get(dir);
    this.dirs.delete(dir);
    if (known && known.level === this.depth) this.leafOrder = null;
    this.unreadable.delete(dir);
    for (const file of this.irregular) if (path.dirname(file) === dir) this.irregular.delete(file);
    if (!known) return;
    for (const child of known.children) {
      if (this.dirs.has(child)) this.dropDir(child, changed);
      else this.dropFile(child, changed);
    }
  }

  clear(changed) {
    for (const file of this.files.keys()) changed.add(file);
    this.files.clear();
    this.fresh.clear();
    this.irregular.clear();
    this.unreadable.clear();
    this.dirs.clear();
    this.order = null;
    this.leafOrder = null;
    this.deferred = [];
  }

  // Folders as [path, last change (its own or its newest transcript's), above the transcripts, entries].
  folders() {
    return [...this.dirs].map(([dir, known]) => [dir, Math.max(known.mtimeMs, known.lastWrite), known.level < this.depth, known.children.size]);
  }
}

module.exports = { FileIndex, HOT_MS, RECENT_MS };
