#!/usr/bin/env node
'use strict';

// Idle cost of the host: CPU used over a window after the first scan has settled, on a tree of small old
// transcripts (default 10,000) or of empty project folders (--empty 100000). Prints the share of one core and
// what that makes over ten minutes.
//
//   node companion/bench/idle.js [--transcripts N | --empty N] [--seconds S] [--settle S]

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { startHost, cpuSeconds, hostPid, sleep } = require('./support');

const arg = (name, fallback) => {
  const at = process.argv.indexOf(name);
  return at === -1 ? fallback : Number(process.argv[at + 1]);
};
const empty = arg('--empty', 0);
const transcripts = empty ? 0 : arg('--transcripts', 10000);
const seconds = arg('--seconds', 120);
const SETTLE_MS = arg('--settle', 60) * 1000;

const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vodu-idle-bench-'));
const claude = path.join(dir, 'claude');
const codex = path.join(dir, 'codex');
const id = (n) => `${n.toString(16).padStart(8, '0')}-1a2b-4c3d-8e4f-${(n * 7919).toString(16).padStart(12, '0').slice(-12)}`;

function build() {
  const old = new Date(Date.now() - 3 * 24 * 3600 * 1000);
  const projects = path.join(claude, 'projects');
  fs.mkdirSync(projects, { recursive: true });
  fs.mkdirSync(path.join(codex, 'sessions'), { recursive: true });
  for (let i = 0; i < empty; i += 1) fs.mkdirSync(path.join(projects, `-home-dev-p${i}`));
  for (let i = 0; i < transcripts; i += 1) {
    const folder = path.join(projects, `-home-dev-project-${i % 100}`);
    fs.mkdirSync(folder, { recursive: true });
    const sid = id(i);
    const lines = [
      { type: 'user', sessionId: sid, cwd: '/home/dev', uuid: `${sid}-0`, timestamp: old.toISOString(), message: { role: 'user', content: `Task ${i}` } },
      { type: 'system', subtype: 'turn_duration', sessionId: sid, uuid: `${sid}-1`, timestamp: old.toISOString() },
    ];
    const file = path.join(folder, `${sid}.jsonl`);
    fs.writeFileSync(file, `${lines.map((l) => JSON.stringify(l)).join('\n')}\n`);
    fs.utimesSync(file, old, old);
  }
}

async function main() {
  let start = Date.now();
  build();
  console.log(`tree: ${transcripts} transcripts, ${empty} empty folders, built in ${((Date.now() - start) / 1000).toFixed(1)} s`);
  // Input closed while the first scan runs: the host must still leave within a second.
  const early = startHost({ CLAUDE_CONFIG_DIR: claude, CODEX_HOME: codex });
  await sleep(300);
  console.log(`input closed 300 ms after spawn, during the first scan: exited ${await early.stop()} ms later`);
  const host = startHost({ CLAUDE_CONFIG_DIR: claude, CODEX_HOME: codex });
  try {
    const first = await host.status(() => true, 60000);
    console.log(`first status ${first.at - host.started} ms after spawn`);
    await sleep(SETTLE_MS);
    const pid = hostPid(host.child);
    const before = cpuSeconds(pid);
    start = Date.now();
    await sleep(seconds * 1000);
    const used = cpuSeconds(pid) - before;
    const wall = (Date.now() - start) / 1000;
    const rss = Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${pid}/status`, 'utf8'))[1]) / 1024;
    console.log(`idle over ${wall.toFixed(0)} s: ${used.toFixed(2)} s CPU = ${((100 * used) / wall).toFixed(3)} % of a core`
      + ` (${((used * 600) / wall).toFixed(2)} s per 10 min, extrapolated); resident ${rss.toFixed(0)} MB`);
  } finally {
    await host.stop();
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

main().catch((error) => {
  fs.rmSync(dir, { recursive: true, force: true });
  console.error(error);
  process.exit(2);
});
