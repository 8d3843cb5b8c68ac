'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');

// A pid alone proves nothing once the process is gone: pids are reused. A process counts as ours only
// while one of its arguments is the entry script.

function signalState(pid) {
  try {
    process.kill(pid, 0);
    return 'alive';
  } catch (error) {
    return error.code === 'EPERM' ? 'alive' : 'gone';
  }
}

function isZombie(pid) {
  try {
    const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
    return stat.slice(stat.lastIndexOf(')') + 2, stat.lastIndexOf(')') + 3) === 'Z';
  } catch {
    return false;
  }
}

function realOrSelf(file) {
  try {
    return fs.realpathSync(file);
  } catch {
    return file;
  }
}

// Arguments and working directory, or null when the system does not tell.
function processArgs(pid) {
  if (fs.existsSync('/proc/self/cmdline')) {
    try {
      const args = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').split('\0').filter(Boolean);
      let cwd = null;
      try {
        cwd = fs.readlinkSync(`/proc/${pid}/cwd`);
      } catch {
        // Another user's process: relative arguments cannot be resolved.
      }
      return { args, cwd };
    } catch {
      return null;
    }
  }
  try {
    const out = execFileSync('ps', ['-ww', '-o', 'args=', '-p', String(pid)], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] });
    return { args: out.trim().split(/\s+/), cwd: null };
  } catch {
    return null;
  }
}

// 'gone', 'match' (pid runs entryPath), 'mismatch' (pid runs something else) or 'unknown'.
function entryIdentity(pid, entryPath) {
  if (signalState(pid) === 'gone' || isZombie(pid)) return 'gone';
  const info = processArgs(pid);
  if (!info) return signalState(pid) === 'gone' ? 'gone' : 'unknown';
  const wanted = path.resolve(entryPath);
  const wantedReal = realOrSelf(wanted);
  for (const arg of info.args) {
    const candidates = [arg];
    if (!path.isAbsolute(arg) && info.cwd) candidates.push(path.resolve(info.cwd, arg));
    for (const candidate of candidates) {
      if (!path.isAbsolute(candidate)) continue;
      if (candidate === wanted || realOrSelf(candidate) === wantedReal) return 'match';
    }
  }
  return 'mismatch';
}

module.exports = { entryIdentity, signalState };
