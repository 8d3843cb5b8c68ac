#!/usr/bin/env node
'use strict';

// Stops the VODU services named in a conflict report. Reads {"conflicts":[{"pid","entryPath"}],"force":bool}
// on stdin and answers {"ok":true,"remaining":[...]}. Only a process whose arguments include its entry path is
// signalled; anything else is refused and reported with "ok": false.

const path = require('node:path');
const { entryIdentity } = require('./lib/identity');

const MAX_INPUT_BYTES = 1024 * 1024;
const MAX_CONFLICTS = 64;
const POLL_MS = 50;

function waitLimitMs() {
  const value = Number(process.env.VODU_STOP_WAIT_MS);
  return Number.isInteger(value) && value >= 0 && value <= 60000 ? value : 5000;
}

function parseRequest(text) {
  let request;
  try {
    request = JSON.parse(text);
  } catch {
    return null;
  }
  if (!request || typeof request !== 'object' || Array.isArray(request)) return null;
  const { conflicts, force = false } = request;
  if (typeof force !== 'boolean' || !Array.isArray(conflicts) || conflicts.length > MAX_CONFLICTS) return null;
  const valid = conflicts.every((c) => c && typeof c === 'object' && !Array.isArray(c)
    && Number.isSafeInteger(c.pid) && c.pid > 1 && c.pid !== process.pid
    && typeof c.entryPath === 'string' && path.isAbsolute(c.entryPath));
  return valid ? { conflicts, force } : null;
}

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

async function stop({ conflicts, force }) {
  const signalled = [];
  const refused = [];
  for (const conflict of conflicts) {
    const identity = entryIdentity(conflict.pid, conflict.entryPath);
    if (identity === 'gone') continue;
    if (identity !== 'match') {
      refused.push(conflict);
      continue;
    }
    try {
      process.kill(conflict.pid, force ? 'SIGKILL' : 'SIGTERM');
      signalled.push(conflict);
    } catch (error) {
      if (error.code !== 'ESRCH') refused.push(conflict);
    }
  }
  const running = () => signalled.filter((c) => entryIdentity(c.pid, c.entryPath) === 'match');
  const deadline = Date.now() + waitLimitMs();
  let remaining = running();
  while (remaining.length > 0 && Date.now() < deadline) {
    await sleep(POLL_MS);
    remaining = running();
  }
  return { remaining, refused };
}

function answer(body, code) {
  process.stdout.write(JSON.stringify(body) + '\n', () => process.exit(code));
}

function main() {
  const chunks = [];
  let size = 0;
  process.stdin.on('data', (chunk) => {
    size += chunk.length;
    if (size <= MAX_INPUT_BYTES) chunks.push(chunk);
  });
  process.stdin.on('error', () => answer({ ok: false }, 1));
  process.stdin.on('end', () => {
    const request = size <= MAX_INPUT_BYTES ? parseRequest(Buffer.concat(chunks).toString('utf8')) : null;
    if (!request) return answer({ ok: false }, 1);
    stop(request).then(({ remaining, refused }) => {
      if (refused.length > 0) {
        process.stderr.write(`desktop-stop-conflicts: refused ${refused.length} process(es) whose identity did not match\n`);
        return answer({ ok: false, remaining, refused }, 1);
      }
      return answer({ ok: true, remaining }, 0);
    }, (error) => {
      process.stderr.write(`desktop-stop-conflicts: ${error.message}\n`);
      answer({ ok: false }, 1);
    });
  });
}

main();
