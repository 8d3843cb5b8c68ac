#!/usr/bin/env node
'use strict';

// A conversation in a folder beyond the watched ones: 1,500 Claude Code project folders of old transcripts
// (the service watches at most 1,024 transcript folders), then the oldest is resumed the way Claude Code does it
// (a line in history.jsonl, then lines in the transcript) and the time to a status showing it is taken.
//
//   node companion/bench/beyond.js

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { startHost, sleep } = require('./support');

const FOLDERS = 1500;
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vodu-beyond-'));
const root = path.join(dir, 'claude');
const id = (n) => `${n.toString(16).padStart(8, '0')}-1a2b-4c3d-8e4f-000000000000`;
const line = (n, more) => JSON.stringify({ sessionId: id(n), cwd: `/home/dev/p${n}`, uuid: `u${n}-${Math.random()}`, timestamp: new Date().toISOString(), ...more });

async function main() {
  for (let n = 0; n < FOLDERS; n += 1) {
    const file = path.join(root, 'projects', `-home-dev-p${n}`, `${id(n)}.jsonl`);
    fs.mkdirSync(path.dirname(file), { recursive: true });
    fs.writeFileSync(file, `${line(n, { type: 'user', message: { role: 'user', content: `Task ${n}` } })}\n${line(n, { type: 'system', subtype: 'turn_duration' })}\n`);
    const when = new Date(Date.now() - (10 + n) * 24 * 3600 * 1000);
    fs.utimesSync(file, when, when);
    fs.utimesSync(path.dirname(file), when, when);
  }
  fs.writeFileSync(path.join(root, 'history.jsonl'), '');
  const host = startHost({ CLAUDE_CONFIG_DIR: root, CODEX_HOME: path.join(dir, 'codex') });
  try {
    await host.status(() => true, 30000);
    await sleep(3000);
    const oldest = FOLDERS - 1;
    const file = path.join(root, 'projects', `-home-dev-p${oldest}`, `${id(oldest)}.jsonl`);
    const shown = host.status((s) => s.sessionSupervision.sessions.some((r) => r.session === id(oldest) && r.analysis.state === 'needs_user'));
    const resumed = Date.now();
    fs.appendFileSync(path.join(root, 'history.jsonl'), `${JSON.stringify({ display: 'Ask me first', timestamp: Date.now(), project: `/home/dev/p${oldest}`, sessionId: id(oldest) })}\n`);
    fs.appendFileSync(file, `${line(oldest, { type: 'user', message: { role: 'user', content: 'Ask me first' } })}\n`);
    fs.appendFileSync(file, `${line(oldest, { type: 'assistant', message: { role: 'assistant', content: [{ type: 'tool_use', id: 'q', name: 'AskUserQuestion', input: {} }] } })}\n`);
    console.log(`resumed conversation in the oldest of ${FOLDERS} folders (not watched): shown ${(await shown).at - resumed} ms after the write`);
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
