#!/usr/bin/env node
'use strict';

// End to end through the real relay: installs the hooks into temporary Claude Code and Codex folders, runs the
// installed command strings with each event's JSON on stdin as the providers do, and times the relay itself and
// the way from the event to a status showing the conversation under "Needs you" and out of it again.
//
//   node companion/bench/hooks.js [--launcher build/VODU.app/Contents/MacOS/vodu]

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { startHost } = require('./support');

const at = process.argv.indexOf('--launcher');
const launcher = path.resolve(at === -1 ? path.join(__dirname, '..', '..', 'build', 'VODU.app', 'Contents', 'MacOS', 'vodu') : process.argv[at + 1]);
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vodu-hooks-bench-'));
const roots = { claude: path.join(dir, 'claude'), codex: path.join(dir, 'codex') };
const ids = { claude: '5c0375b4-1a2b-4c3d-8e4f-000000000001', codex: '019a0000-1a2b-4c3d-8e4f-000000000002' };

function tree() {
  const now = new Date().toISOString();
  const sid = ids.claude;
  const base = { sessionId: sid, cwd: '/home/dev/shop', timestamp: now };
  const claudeFile = path.join(roots.claude, 'projects', '-home-dev-shop', `${sid}.jsonl`);
  fs.mkdirSync(path.dirname(claudeFile), { recursive: true });
  fs.writeFileSync(claudeFile, `${[
    { ...base, type: 'user', uuid: 'u1', message: { role: 'user', content: 'Deploy the shop' } },
    { ...base, type: 'assistant', uuid: 'a1', message: { role: 'assistant', content: [{ type: 'tool_use', id: 't1', name: 'Bash', input: {} }] } },
  ].map((l) => JSON.stringify(l)).join('\n')}\n`);
  const tid = ids.codex;
  const codexFile = path.join(roots.codex, 'sessions', '2026', '12', '07', `rollout-2026-12-07T05-00-00-${tid}.jsonl`);
  fs.mkdirSync(path.dirname(codexFile), { recursive: true });
  fs.writeFileSync(codexFile, `${[
    { timestamp: now, type: 'session_meta', payload: { id: tid, timestamp: now, cwd: '/home/dev/api', source: 'cli' } },
    { timestamp: now, type: 'event_msg', payload: { type: 'user_message', message: 'Release it' } },
    { timestamp: now, type: 'event_msg', payload: { type: 'task_started', turn_id: '1' } },
  ].map((l) => JSON.stringify(l)).join('\n')}\n`);
}

// The command the provider file holds for `event`, run through the shell with `input` on stdin.
function commandFor(provider, event) {
  const file = provider === 'claude' ? path.join(roots.claude, 'settings.json') : path.join(roots.codex, 'hooks.json');
  const groups = JSON.parse(fs.readFileSync(file, 'utf8')).hooks[event];
  return groups.flatMap((g) => g.hooks).find((h) => h.command.includes('--hook-relay')).command;
}

function run(command, input) {
  return new Promise((resolve) => {
    const started = process.hrtime.bigint();
    const child = spawn('/bin/sh', ['-c', command], { stdio: ['pipe', 'pipe', 'pipe'] });
    let output = '';
    child.stdout.on('data', (d) => { output += d; });
    child.stderr.on('data', (d) => { output += d; });
    child.on('exit', (code) => resolve({ code, output, ms: Number(process.hrtime.bigint() - started) / 1e6 }));
    child.stdin.end(JSON.stringify(input));
  });
}

const record = (status, provider) => status.sessionSupervision.sessions.find((s) => s.session === ids[provider]);
const needs = (provider) => (s) => record(s, provider) && record(s, provider).analysis.state === 'needs_user';
const free = (provider) => (s) => record(s, provider) && record(s, provider).analysis.state !== 'needs_user';

async function main() {
  if (!fs.existsSync(launcher)) throw new Error(`no launcher at ${launcher}: build first`);
  tree();
  const host = startHost({ CLAUDE_CONFIG_DIR: roots.claude, CODEX_HOME: roots.codex, VODU_HOOK_RELAY: launcher });
  await host.status(() => true);
  host.send({ id: 'install', action: 'install_plugins' });
  const installed = await host.next((m) => m.type === 'result' && m.id === 'install');
  if (!installed.message.ok) throw new Error(`install_plugins: ${installed.message.message}`);
  const cases = [
    ['claude', 'permission request', 'PermissionRequest', { tool_name: 'Bash', tool_input: { command: 'make deploy' } }, 'PostToolUse'],
    ['claude', 'question', 'PreToolUse', { tool_name: 'AskUserQuestion', tool_input: { questions: [] } }, 'PostToolUse'],
    ['claude', 'plan approval', 'PreToolUse', { tool_name: 'ExitPlanMode', tool_input: { plan: 'x' } }, 'PostToolUse'],
    ['codex', 'permission request', 'PermissionRequest', { tool_name: 'shell', tool_input: { command: ['make'] } }, 'PostToolUse'],
    ['codex', 'request_user_input', 'PreToolUse', { tool_name: 'request_user_input', tool_input: {} }, 'PostToolUse'],
  ];
  const relayTimes = [];
  for (const [provider, name, event, fields, answer] of cases) {
    const common = { session_id: ids[provider], cwd: '/home/dev', transcript_path: null, permission_mode: 'default' };
    const shown = host.status(needs(provider));
    const sent = Date.now();
    const relay = await run(commandFor(provider, event), { ...common, hook_event_name: event, ...fields });
    const inTime = (await shown).at - sent;
    const left = host.status(free(provider));
    const answered = Date.now();
    const reply = await run(commandFor(provider, answer), { ...common, hook_event_name: answer, tool_name: fields.tool_name, tool_response: {} });
    const outTime = (await left).at - answered;
    relayTimes.push(relay.ms, reply.ms);
    console.log(`${provider} ${name}: "Needs you" after ${inTime} ms, cleared ${outTime} ms after the answer;`
      + ` relay exit ${relay.code}, output ${JSON.stringify(relay.output)}, ${relay.ms.toFixed(1)} ms`);
  }
  const hooks = await host.status((s) => s.deliveryHooks.providers.codex.state === 'observed' && s.deliveryHooks.providers.claude.state === 'observed');
  console.log(`hook states: ${JSON.stringify(hooks.message.status.deliveryHooks.providers)}`);
  await host.stop();
  const down = await run(commandFor('claude', 'Stop'), { session_id: ids.claude, hook_event_name: 'Stop' });
  const moved = await run(commandFor('claude', 'Stop').split(launcher).join(path.join(dir, 'moved', 'Contents', 'MacOS', 'vodu')), { hook_event_name: 'Stop' });
  console.log(`relay via sh -c, median ${relayTimes.sort((a, b) => a - b)[relayTimes.length >> 1].toFixed(1)} ms, max ${Math.max(...relayTimes).toFixed(1)} ms;`
    + ` service down: exit ${down.code}, output ${JSON.stringify(down.output)}, ${down.ms.toFixed(1)} ms;`
    + ` app moved: exit ${moved.code}, output ${JSON.stringify(moved.output)}, ${moved.ms.toFixed(1)} ms`);
}

main().then(() => fs.rmSync(dir, { recursive: true, force: true }), (error) => {
  fs.rmSync(dir, { recursive: true, force: true });
  console.error(error);
  process.exit(2);
});
