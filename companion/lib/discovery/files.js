'use strict';

const fs = require('node:fs');

// Opening a provider's file without ever blocking: a FIFO or a device swapped in for a transcript would make a
// plain open() or read() wait forever. O_NONBLOCK makes the open return at once; the descriptor is then checked
// to be a regular file before a single byte is read.

const OPEN_FLAGS = fs.constants.O_RDONLY | fs.constants.O_NONBLOCK | (fs.constants.O_NOCTTY || 0);

class NotRegularFile extends Error {
  constructor(file) {
    super(`${file} is not a regular file`);
    this.code = 'ENOTREG';
  }
}

// The descriptor and its stat; throws NotRegularFile (the descriptor closed) for anything but a regular file.
function openRegular(io, file) {
  const fd = io.openSync(file, OPEN_FLAGS);
  let stat;
  try {
    stat = io.fstatSync(fd);
  } catch (error) {
    io.closeSync(fd);
    throw error;
  }
  if (!stat.isFile()) {
    io.closeSync(fd);
    throw new NotRegularFile(file);
  }
  return { fd, stat };
}

// A whole small file as text; null when it is missing, not a regular file, unreadable or over `max` bytes.
function readSmallFile(io, file, max) {
  let opened;
  try {
    opened = openRegular(io, file);
  } catch {
    return null;
  }
  try {
    if (opened.stat.size > max) return null;
    const buffer = Buffer.allocUnsafe(opened.stat.size);
    let filled = 0;
    while (filled < buffer.length) {
      const n = io.readSync(opened.fd, buffer, filled, buffer.length - filled, filled);
      if (n === 0) break;
      filled += n;
    }
    return buffer.subarray(0, filled).toString('utf8');
  } catch {
    return null;
  } finally {
    io.closeSync(opened.fd);
  }
}

// Why a file or folder could not be read, in words for the discovery line.
function unreadableKind(error) {
  if (error && error.code === 'ENOTREG') return 'not a regular file';
  if (error && (error.code === 'EACCES' || error.code === 'EPERM')) return 'permission denied';
  return 'could not be read';
}

module.exports = { openRegular, readSmallFile, unreadableKind, NotRegularFile };
