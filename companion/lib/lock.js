'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { entryIdentity } = require('./identity');

// One host per installation home. The lock names its holder (pid + entry script); a holder that is gone,
// or whose pid now runs something else, no longer counts, so a crashed host never leaves the lock stuck.

function lockPath(home) {
  return path.join(home, 'run', 'desktop-host.lock');
}

function readHolder(file) {
  try {
    const holder = JSON.parse(fs.readFileSync(file, 'utf8'));
    if (Number.isInteger(holder.pid) && holder.pid > 0 && typeof holder.entryPath === 'string') return holder;
  } catch {
    // Unreadable or half-written: treated as stale below.
  }
  return null;
}

function holderAlive(holder) {
  if (!holder || holder.pid === process.pid) return false;
  const identity = entryIdentity(holder.pid, holder.entryPath);
  return identity === 'match' || identity === 'unknown';
}

function sameHolder(a, b) {
  return Boolean(a && b && a.pid === b.pid && a.startedAt === b.startedAt && a.entryPath === b.entryPath);
}

// Moves a stale lock aside atomically; if a live host took the lock meanwhile, puts it back.
function clearStale(file, stale) {
  const aside = `${file}.stale-${process.pid}`;
  try {
    fs.renameSync(file, aside);
  } catch {
    return;
  }
  const moved = readHolder(aside);
  if (moved && !sameHolder(moved, stale) && holderAlive(moved)) {
    try {
      fs.linkSync(aside, file);
    } catch {
      // Someone else holds it now; the retry reports them.
    }
  }
  fs.rmSync(aside, { force: true });
}

// Returns { release } when this host holds the lock, or { conflict: { pid, entryPath } }.
function acquireLock(home, entryPath, now = Date.now) {
  const file = lockPath(home);
  fs.mkdirSync(path.dirname(file), { recursive: true, mode: 0o700 });
  const mine = { pid: process.pid, entryPath, startedAt: new Date(now()).toISOString() };
  for (let attempt = 0; attempt < 5; attempt += 1) {
    try {
      fs.writeFileSync(file, JSON.stringify(mine) + '\n', { flag: 'wx', mode: 0o600 });
      return { file, release: () => releaseLock(file, mine) };
    } catch (error) {
      if (error.code !== 'EEXIST') throw error;
    }
    const holder = readHolder(file);
    if (holderAlive(holder)) return { conflict: { pid: holder.pid, entryPath: holder.entryPath } };
    clearStale(file, holder);
  }
  throw new Error(`could not take ${file}`);
}

function releaseLock(file, mine) {
  if (sameHolder(readHolder(file), mine)) fs.rmSync(file, { force: true });
}

module.exports = { acquireLock, lockPath };
