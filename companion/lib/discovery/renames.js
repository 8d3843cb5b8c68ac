'use strict';

// Codex renames anywhere in a listed rollout, far from the head and tail that are parsed. Each listed file is
// scanned once in the background, a slice per turn of the event loop so the host keeps answering, and again
// only for what it grew by; a file that shrank is scanned from the start. Files no longer listed are forgotten.

const SCAN_BYTES = 8 * 1024 * 1024;
const GAP_MS = 5;

class RenameScans {
  constructor({ io, providers, safely, onFound }) {
    Object.assign(this, { io, providers, safely, onFound });
    this.timer = null;
    this.stopped = false;
  }

  // The last rename found so far in `file` (undefined if none yet); starts a scan of what is new.
  nameOf(p, file, entry) {
    let known = p.renames.get(file);
    if (known && entry.size < known.to) known = undefined;
    if (!known) p.renames.set(file, (known = { to: 0, name: undefined }));
    if (known.to < entry.size) this.schedule();
    return known.name;
  }

  schedule() {
    if (this.timer || this.stopped) return;
    this.timer = setTimeout(() => this.safely(() => this.run()), GAP_MS);
    this.timer.unref();
  }

  run() {
    this.timer = null;
    if (this.stopped) return;
    let budget = SCAN_BYTES;
    let found = false;
    let more = false;
    for (const p of this.providers) {
      if (!p.def.scanRenames) continue;
      const listed = new Set(p.selected.map(({ file }) => file));
      for (const [file, known] of p.renames) {
        const entry = p.index.files.get(file);
        if (!listed.has(file) || !entry) {
          p.renames.delete(file);
          continue;
        }
        if (known.to >= entry.size) continue;
        if (budget <= 0) {
          more = true;
          continue;
        }
        try {
          const result = p.def.scanRenames(this.io, file, known.to, budget);
          budget -= result.to - known.to;
          if (result.name && result.name !== known.name) found = true;
          known.to = result.to;
          known.name = result.name || known.name;
        } catch {
          known.to = entry.size; // unreadable now: its next change tries again
        }
        more = more || known.to < entry.size;
      }
    }
    if (found) this.onFound();
    if (more) this.schedule();
  }

  stop() {
    this.stopped = true;
    clearTimeout(this.timer);
  }
}

module.exports = { RenameScans };
