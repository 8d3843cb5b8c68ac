#!/usr/bin/env node
'use strict';

// Drills: a listed transcript replaced, while the host runs, by a FIFO, a link to /dev/zero, a 2 GB (sparse)
// file, and a file the host may not read. After each swap the host must answer a command within a second, and
// at the end exit within a second of its input closing. Run as root, the host itself runs as `nobody` (when
// runuser exists) so that a mode-000 file is really unreadable to it.
//
//   node companion/bench/hazards.js

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { startHost, hostPid, sleep } = require('./support');

const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vodu-hazards-'));
const root = path.join(dir, 'claude');
const id = (n) => `0000000${n}-1a2b-4c3d-8e4f-00000000000${n}`;
const asNobody = process.getuid() === 0 && fs.existsSync('/usr/sbin/runuser');

function transcript(n) {
  const file = path.join(root, 'projects', `-home-dev-p${n}`, `${id(n)}.jsonl`);
  fs.mkdirSync(path.dirname(file), { recursive: true, mode: 0o755 });
  const now = new Date().toISOString();
  fs.writeFileSync(file, `${JSON.stringify({ type: 'user', sessionId: id(n), cwd: '/home/dev', uuid: `u${n}`, timestamp: now, message: { role: 'user', content: `Task ${n}` } })}\n`, { mode: 0o644 });
  return file;
}

async function main() {
  fs.chmodSync(dir, 0o755);
  const files = [1, 2, 3, 4, 5].map(transcript);
  const host = startHost({ CLAUDE_CONFIG_DIR: root, CODEX_HOME: path.join(dir, 'codex') }, { user: asNobody ? 'nobody' : undefined });
  await host.status((s) => s.sessionSupervision.sessions.length === 5, 20000);
  const drills = [
    ['FIFO', (file) => execFileSync('mkfifo', ['-m', '644', file])],
    ['link to /dev/zero', (file) => fs.symlinkSync('/dev/zero', file)],
    ['2 GB sparse file, no newline', (file) => {
      const fd = fs.openSync(file, 'w', 0o644);
      fs.ftruncateSync(fd, 2 * 1024 * 1024 * 1024);
      fs.closeSync(fd);
    }],
    [asNobody ? 'unreadable file (mode 000, host runs as nobody)' : 'unreadable file (skipped: not root, cannot run the host as another user)', (file) => {
      transcript(files.indexOf(file) + 1);
      fs.appendFileSync(file, '\n');
      fs.chmodSync(file, 0);
    }],
  ];
  for (const [index, [name, swap]] of drills.entries()) {
    const file = files[index];
    fs.rmSync(file);
    swap(file);
    await sleep(300); // let the watch and the read happen
    const answered = host.next((m) => m.type === 'result' && m.id === `r${index}`, 5000);
    const statused = host.status(() => true, 5000);
    const asked = Date.now();
    host.send({ id: `r${index}`, action: 'refresh' });
    const answer = await answered;
    const status = await statused;
    const claude = status.message.status.sessionSupervision.providers.claude;
    console.log(`${name}: answered in ${answer.at - asked} ms; listed ${status.message.status.sessionSupervision.sessions.length};`
      + ` discovery line: ${JSON.stringify(claude.reason || '')}`);
  }
  console.log(`exit after end of input: ${await host.stop()} ms`);
  // A second host on the same hazardous tree, ended by SIGTERM.
  const again = startHost({ CLAUDE_CONFIG_DIR: root, CODEX_HOME: path.join(dir, 'codex') }, { user: asNobody ? 'nobody' : undefined });
  await again.status(() => true, 20000);
  const signalled = Date.now();
  process.kill(hostPid(again.child), 'SIGTERM');
  console.log(`exit after SIGTERM: ${(await again.exited) - signalled} ms`);
  await again.stop();
}

main().then(() => fs.rmSync(dir, { recursive: true, force: true }), (error) => {
  fs.rmSync(dir, { recursive: true, force: true });
  console.error(error);
  process.exit(2);
});
