'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { spawn } = require('node:child_process');

// Small programs discovery asks: the providers' tools for their version, xdg-mime for a codex:// handler,
// zstd for old compressed transcripts. Each runs with a time limit and bounded output, and dies with the host.

const children = new Set();

function findOnPath(name, env) {
  for (const dir of String(env.PATH || '').split(path.delimiter)) {
    if (!dir) continue;
    const file = path.join(dir, name);
    try {
      fs.accessSync(file, fs.constants.X_OK);
      if (fs.statSync(file).isFile()) return file;
    } catch {
      // not here
    }
  }
  return null;
}

// Calls done(code, stdout) once; stdout beyond `limit` bytes is dropped, a slow program is killed.
function run(file, args, { env, timeoutMs = 5000, limit = 65536, onData } = {}, done) {
  let child;
  try {
    child = spawn(file, args, { env, stdio: ['ignore', 'pipe', 'ignore'] });
  } catch {
    done(-1, '');
    return null;
  }
  children.add(child);
  const parts = [];
  let size = 0;
  let finished = false;
  const finish = (code) => {
    if (finished) return;
    finished = true;
    clearTimeout(timer);
    children.delete(child);
    done(code, Buffer.concat(parts).toString('utf8'));
  };
  const timer = setTimeout(() => child.kill('SIGKILL'), timeoutMs);
  timer.unref();
  child.stdout.on('data', (chunk) => {
    if (onData) return onData(chunk);
    if (size < limit) parts.push(chunk.subarray(0, limit - size));
    size += chunk.length;
    return undefined;
  });
  child.on('error', () => finish(-1));
  child.on('close', (code) => finish(code === null ? -1 : code));
  return child;
}

const VERSION = /\d+\.\d+\.\d+[0-9A-Za-z.+-]*/;

// The installed version of a provider's tool, or null when it is not on PATH or says nothing usable.
function toolVersion(command, env, done) {
  const file = findOnPath(command, env);
  if (!file) return done(null);
  return run(file, ['--version'], { env }, (code, out) => done(code === 0 && VERSION.test(out) ? VERSION.exec(out)[0] : null));
}

// True when a desktop application is registered for codex:// links on this machine.
function codexLinkHandler(env, done) {
  const file = findOnPath('xdg-mime', env);
  if (!file) return done(false);
  return run(file, ['query', 'default', 'x-scheme-handler/codex'], { env, timeoutMs: 3000 }, (code, out) => done(code === 0 && /^\S+\.desktop$/m.test(out.trim())));
}

// Decompresses a .zst transcript and keeps only its first `headBytes` and last `tailBytes`.
function zstdEnds(zstd, file, env, done, { headBytes = 1024 * 1024, tailBytes = 1024 * 1024 } = {}) {
  const head = [];
  let headSize = 0;
  let tail = [];
  let tailSize = 0;
  let total = 0;
  const onData = (chunk) => {
    total += chunk.length;
    if (headSize < headBytes) {
      head.push(chunk.subarray(0, headBytes - headSize));
      headSize += Math.min(chunk.length, headBytes - headSize);
    }
    tail.push(chunk);
    tailSize += chunk.length;
    while (tail.length > 1 && tailSize - tail[0].length >= tailBytes) tailSize -= tail.shift().length;
  };
  return run(zstd, ['-dcq', '--', file], { env, timeoutMs: 60000, onData }, (code) => {
    if (code !== 0) return done(null);
    let tailBuffer = Buffer.concat(tail);
    if (tailBuffer.length > tailBytes) tailBuffer = tailBuffer.subarray(tailBuffer.length - tailBytes);
    return done({ head: Buffer.concat(head), tail: tailBuffer, cut: total > tailBuffer.length, total });
  });
}

function stopAll() {
  for (const child of children) child.kill('SIGKILL');
  children.clear();
}

module.exports = { findOnPath, toolVersion, codexLinkHandler, zstdEnds, stopAll };
