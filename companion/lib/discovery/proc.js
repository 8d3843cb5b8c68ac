'use strict';

// What /proc says about the processes behind a conversation. Only processes this user may inspect are seen,
// which includes the user's own Codex and Claude Code.

// The start time (field 22 of /proc/<pid>/stat) as text; null when the pid is gone or a zombie; undefined
// when this system cannot tell.
function processStart(io, pid) {
  let stat;
  try {
    stat = io.readFileSync(`/proc/${pid}/stat`, 'utf8');
  } catch {
    return canInspect(io) ? null : undefined;
  }
  const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
  if (fields[0] === 'Z' || fields[0] === 'X') return null;
  return fields[19] === undefined ? undefined : fields[19];
}

function canInspect(io) {
  try {
    io.readdirSync('/proc/self/fd');
    return true;
  } catch {
    return false;
  }
}

// Files under one of `prefixes` that some process holds open for writing, or null when /proc cannot tell.
function openWriters(io, prefixes) {
  if (!canInspect(io)) return null;
  const found = new Set();
  let pids;
  try {
    pids = io.readdirSync('/proc').filter((name) => /^\d+$/.test(name));
  } catch {
    return null;
  }
  for (const pid of pids) {
    let fds;
    try {
      fds = io.readdirSync(`/proc/${pid}/fd`);
    } catch {
      continue;
    }
    for (const fd of fds) {
      let target;
      try {
        target = io.readlinkSync(`/proc/${pid}/fd/${fd}`);
      } catch {
        continue;
      }
      if (!prefixes.some((prefix) => target.startsWith(prefix))) continue;
      try {
        const flags = /flags:\s*([0-7]+)/.exec(io.readFileSync(`/proc/${pid}/fdinfo/${fd}`, 'utf8'));
        if (flags && (parseInt(flags[1], 8) & 3) === 0) continue; // opened read-only: a reader, not the writer
      } catch {
        // fdinfo gone with the descriptor: count what readlink saw
      }
      found.add(target);
    }
  }
  return found;
}

module.exports = { processStart, openWriters, canInspect };
