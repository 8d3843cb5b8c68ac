'use strict';

// A host started on a given environment, with its status messages and results awaited by predicate.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');

const HOST = path.join(__dirname, '..', 'desktop-host.js');

function startHost(env, { user } = {}) {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'vodu-bench-home-'));
  const fullEnv = { PATH: process.env.PATH, VODU_HOME: home, VODU_HOST_DISCOVERY: 'on', ...env };
  const [command, args] = user ? ['runuser', ['-u', user, '--', process.execPath, HOST]] : [process.execPath, [HOST]];
  if (user) fs.chmodSync(home, 0o777);
  const started = Date.now();
  const child = spawn(command, args, { env: fullEnv, stdio: ['pipe', 'pipe', 'ignore'] });
  let buffer = '';
  const waiters = [];
  child.stdout.on('data', (chunk) => {
    buffer += chunk;
    let newline;
    while ((newline = buffer.indexOf('\n')) !== -1) {
      const message = JSON.parse(buffer.slice(0, newline));
      buffer = buffer.slice(newline + 1);
      for (const w of [...waiters]) {
        if (w.test(message)) {
          waiters.splice(waiters.indexOf(w), 1);
          w.resolve({ at: Date.now(), message });
        }
      }
    }
  });
  const next = (test, ms = 10000) => new Promise((resolve, reject) => {
    waiters.push({ test, resolve });
    setTimeout(() => reject(new Error(`no matching message within ${ms} ms`)), ms).unref();
  });
  const status = (test, ms) => next((m) => m.type === 'status' && test(m.status), ms);
  const send = (command) => child.stdin.write(`${JSON.stringify(command)}\n`);
  const exited = new Promise((resolve) => child.on('exit', () => resolve(Date.now())));
  const stop = async () => {
    const at = Date.now();
    child.stdin.end();
    const end = await exited;
    fs.rmSync(home, { recursive: true, force: true });
    return end - at;
  };
  return { child, home, started, next, status, send, stop, exited };
}

// CPU seconds (user + system) a process has used so far.
function cpuSeconds(pid) {
  const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
  const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
  return (Number(fields[11]) + Number(fields[12])) / 100;
}

// The host's own process: under runuser it is the child of the spawned one.
function hostPid(child) {
  try {
    const children = fs.readFileSync(`/proc/${child.pid}/task/${child.pid}/children`, 'utf8').trim();
    return children ? Number(children.split(' ')[0]) : child.pid;
  } catch {
    return child.pid;
  }
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

module.exports = { startHost, cpuSeconds, hostPid, sleep };
