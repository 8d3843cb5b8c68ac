'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const net = require('node:net');
const path = require('node:path');
const { startHost, tempDir } = require('./support');
const { claude: c, codex: x, uuid } = require('./transcripts');
const { applyHooks, installedState } = require('../lib/discovery/hookfiles');
const { socketPath } = require('../lib/discovery/relay');

// A bundle-shaped launcher stand-in: the relay's entries are recognised by its path.
function bundle() {
  const dir = tempDir();
  const launcher = path.join(dir, 'VODU.app', 'Contents', 'MacOS', 'vodu');
  fs.mkdirSync(path.dirname(launcher), { recursive: true });
  fs.writeFileSync(launcher, '#!/bin/sh\nexit 0\n', { mode: 0o755 });
  return { launcher, home: path.join(dir, 'home'), roots: { claude: path.join(dir, 'claude'), codex: path.join(dir, 'codex') } };
}

const userClaude = `{
    "model": "opus",
    "permissions": { "allow": ["Bash(npm test)"] },
    "hooks": {
        "Stop": [{ "matcher": "", "hooks": [{ "type": "command", "command": "notify-send done" }] }]
    },
    "statusLine": { "type": "command", "command": "~/bin/status" }
}
`;
const userCodex = '{\n  "hooks": {\n    "PreToolUse": [\n      {\n        "matcher": "shell",\n        "hooks": [\n          {\n            "type": "command",\n            "command": "audit.sh"\n          }\n        ]\n      }\n    ]\n  }\n}\n';

test('installing and removing the relay keeps the user\'s files; files Codex would refuse are left alone', () => {
  const cases = [
    ['claude', 'settings.json', userClaude, 'changed'],
    ['codex', 'hooks.json', JSON.stringify(JSON.parse(userCodex), null, 2) + '\n', 'changed'],
    ['claude', 'settings.json', null, 'changed'],
    ['codex', 'hooks.json', '{"hooks": {}, "theme": "dark"}', /unknown key "theme"/],
    ['claude', 'settings.json', '{"hooks": ', /not valid JSON/],
    ['claude', 'settings.json', '{"hooks": {"Stop": {}}}', /expected shape/],
  ];
  for (const [provider, name, original, expected] of cases) {
    const where = bundle();
    const file = path.join(where.roots[provider], name);
    fs.mkdirSync(path.dirname(file), { recursive: true });
    if (original !== null) fs.writeFileSync(file, original);
    const install = () => applyHooks(fs, provider, where.roots, { ...where, install: true });
    if (expected instanceof RegExp) {
      assert.throws(install, expected, name);
      assert.equal(fs.readFileSync(file, 'utf8'), original, `${provider}: a refused file is untouched`);
      continue;
    }
    assert.equal(install(), expected);
    const installed = JSON.parse(fs.readFileSync(file, 'utf8'));
    assert.equal(installedState(fs, provider, where.roots, where), 'prepared');
    const relays = Object.values(installed.hooks).flat().flatMap((g) => g.hooks).filter((h) => h.command.includes('--hook-relay'));
    assert.ok(relays.length >= 7 && relays.every((h) => h.command.startsWith('test -x ') && h.command.endsWith('; exit 0')), provider);
    if (original !== null) {
      assert.equal(fs.readFileSync(`${file}.vodu-backup`, 'utf8'), original, 'the previous file is kept beside it');
      const kept = JSON.parse(original);
      for (const [key, value] of Object.entries(kept)) if (key !== 'hooks') assert.deepEqual(installed[key], value);
      for (const [event, groups] of Object.entries(kept.hooks)) assert.deepEqual(installed.hooks[event].slice(0, groups.length), groups, 'user entries come first, unchanged');
    }
    const before = fs.statSync(file).mtimeMs;
    assert.equal(install(), 'unchanged', 'a second press changes nothing');
    assert.equal(fs.statSync(file).mtimeMs, before);
    // A moved app: its old entries are replaced, not added to.
    const moved = { ...where, launcher: where.launcher.replace('VODU.app', 'Other.app') };
    assert.equal(installedState(fs, provider, where.roots, moved), 'stale');
    assert.equal(applyHooks(fs, provider, where.roots, { ...moved, install: false }), 'changed');
    assert.equal(installedState(fs, provider, where.roots, where), 'missing');
    assert.equal(fs.readFileSync(file, 'utf8'), original === null ? '{}\n' : original, 'removal restores the file');
  }
});

// One hook event as the relay hands it over.
function relay(home, provider, event) {
  return new Promise((resolve) => {
    const socket = net.connect(socketPath(home), () => socket.end(`${provider}\n${JSON.stringify(event)}`));
    socket.on('close', resolve);
    socket.on('error', resolve);
  });
}

test('hook events make a conversation need the user until the next event, and prove the hooks run', async () => {
  const where = bundle();
  const claudeId = uuid(31);
  const codexId = uuid(32);
  c.write(where.roots.claude, claudeId, [c.user('Deploy it'), c.tool('t1', 'Bash')], { ageMs: 0 });
  x.write(where.roots.codex, codexId, [x.meta(codexId), x.ask('Plan the release'), x.started()], { ageMs: 0 });
  const host = startHost({
    home: where.home,
    env: { CLAUDE_CONFIG_DIR: where.roots.claude, CODEX_HOME: where.roots.codex, VODU_HOST_DISCOVERY: 'on', VODU_HOOK_RELAY: where.launcher },
  });
  const hooksOf = (m) => m.type === 'status' && m.status.deliveryHooks.providers;
  await host.waitFor((m) => hooksOf(m) && m.status.deliveryHooks.providers.claude.state === 'missing');
  host.send({ id: 'i', action: 'install_plugins' });
  assert.equal((await host.result('i')).ok, true);
  const prepared = await host.waitFor((m) => hooksOf(m) && m.status.deliveryHooks.providers.codex.state === 'prepared');
  assert.deepEqual(prepared.status.pluginSetup, { state: 'ready', refreshPending: true });

  const waits = [
    ['claude', claudeId, { hook_event_name: 'PermissionRequest', tool_name: 'Bash' }, /permission to use Bash/],
    ['claude', claudeId, { hook_event_name: 'PreToolUse', tool_name: 'AskUserQuestion' }, /asked a question/],
    ['claude', claudeId, { hook_event_name: 'PreToolUse', tool_name: 'ExitPlanMode' }, /proposed a plan/],
    ['codex', codexId, { hook_event_name: 'PermissionRequest', tool_name: 'shell' }, /approval to use shell/],
    ['codex', codexId, { hook_event_name: 'PreToolUse', tool_name: 'request_user_input' }, /asked a question/],
  ];
  const record = (m, id) => m.status.sessionSupervision.sessions.find((s) => s.session === id);
  for (const [provider, id, event, reason] of waits) {
    const sent = Date.now();
    await relay(where.home, provider, { session_id: id, cwd: '/w', ...event });
    const asking = await host.waitFor((m) => m.type === 'status' && record(m, id) && record(m, id).analysis.state === 'needs_user' && reason.test(record(m, id).analysis.reason));
    assert.ok(Date.now() - sent < 1000, `${provider} ${event.tool_name}: shown within a second`);
    assert.equal(asking.status.deliveryHooks.providers[provider].state, 'observed');
    await relay(where.home, provider, { session_id: id, hook_event_name: 'PostToolUse', tool_name: event.tool_name });
    await host.waitFor((m) => m.type === 'status' && record(m, id) && record(m, id).analysis.state !== 'needs_user' && record(m, id).isRunning);
  }

  // The user takes Claude Code's entries out by hand: the row follows the file.
  const settings = path.join(where.roots.claude, 'settings.json');
  const edited = fs.readFileSync(settings, 'utf8');
  fs.writeFileSync(settings, '{}\n');
  await host.waitFor((m) => hooksOf(m) && m.status.deliveryHooks.providers.claude.state === 'missing');
  fs.writeFileSync(settings, edited);

  host.send({ id: 'r', action: 'remove_plugins' });
  assert.equal((await host.result('r')).ok, true);
  const removed = await host.waitFor((m) => hooksOf(m) && m.status.deliveryHooks.providers.codex.state === 'missing' && m.status.deliveryHooks.providers.claude.state === 'missing');
  assert.equal(removed.status.pluginSetup.state, 'not_prepared');
  host.send({ id: 'o', action: 'claude_hooks' });
  assert.match((await host.result('o')).message, /settings\.json/, 'without a desktop the answer says where to look');
  assert.equal(await host.stop(), 0);
});

test('hook evidence against the transcript and the clock', () => {
  const { withHook } = require('../lib/discovery/judge');
  const { stateAfter } = require('../lib/discovery/relay');
  const T = 1e12;
  const H = 3600 * 1000;
  const transcript = { running: true, asks: null };
  const hook = (provider, event, at) => ({ ...stateAfter(provider, event), at });
  const permission = hook('claude', { hook_event_name: 'PermissionRequest', tool_name: 'Bash' }, T);
  const cases = [
    ['a wait holds however long nobody answers', permission, { live: 'unknown', lastAt: T - 5000, now: T + 5 * H }, { running: false, asks: 'permission' }],
    ['a line written after the wait ends it', permission, { live: 'alive', lastAt: T + 10000, now: T + 11000 }, transcript],
    ['the process gone ends it', permission, { live: 'gone', lastAt: T, now: T + 1000 }, transcript],
    ['a reminder keeps waiting', hook('claude', { hook_event_name: 'Notification', notification_type: 'permission_prompt' }, T), { live: 'unknown', lastAt: T, now: T }, { running: false, asks: 'permission' }],
    ['an idle reminder is no need', hook('claude', { hook_event_name: 'Notification', notification_type: 'idle_prompt' }, T), { live: 'unknown', lastAt: 0, now: T }, transcript],
    ['a Codex question', hook('codex', { hook_event_name: 'PreToolUse', tool_name: 'request_user_input' }, T), { live: 'alive', lastAt: T, now: T }, { running: false, asks: 'question' }],
    ['the end of the conversation', hook('codex', { hook_event_name: 'SessionEnd' }, T), { live: 'unknown', lastAt: T, now: T }, { running: false, asks: null }],
    ['a prompt runs the turn', hook('claude', { hook_event_name: 'UserPromptSubmit' }, T), { live: 'unknown', lastAt: T - 1000, now: T + 60000 }, { running: true, asks: null }],
    ['a turn silent past the transcript window goes back to the transcript', hook('claude', { hook_event_name: 'UserPromptSubmit' }, T), { live: 'unknown', lastAt: T, now: T + H }, transcript],
  ];
  for (const [name, state, context, expected] of cases) {
    const judged = withHook(transcript, state.running === undefined ? undefined : state, context);
    assert.deepEqual({ running: judged.running, asks: judged.asks }, expected, name);
  }
});

// The launcher's relay mode, when the app has been built (scripts/test.sh builds it before these tests).
const LAUNCHER = path.join(process.env.VODU_BUILD_DIR || path.join(__dirname, '..', '..', 'build'), 'VODU.app', 'Contents', 'MacOS', 'vodu');

test('the relay hands events over, and exits 0 silently and at once when nobody listens', { skip: !fs.existsSync(LAUNCHER) && 'the app is not built' }, async () => {
  const { listen } = require('../lib/discovery/relay');
  const { spawnSync } = require('node:child_process');
  const home = tempDir();
  const received = [];
  const relayRun = (provider, input) => {
    const started = Date.now();
    const run = spawnSync(LAUNCHER, ['--hook-relay', provider, home], { input, encoding: 'utf8' });
    return { code: run.status, output: run.stdout + run.stderr, ms: Date.now() - started };
  };
  const down = relayRun('claude', JSON.stringify({ session_id: 's', hook_event_name: 'Stop' }));
  assert.deepEqual([down.code, down.output], [0, ''], 'no service');
  assert.ok(down.ms < 300, `no service costs ${down.ms} ms`);

  const server = listen(home, (provider, event) => received.push([provider, event.hook_event_name, event.tool_name]));
  try {
    const big = JSON.stringify({ session_id: 's', hook_event_name: 'PreToolUse', tool_name: 'ExitPlanMode', tool_input: { plan: 'p'.repeat(2 * 1024 * 1024) } });
    const runs = [['claude', JSON.stringify({ session_id: 's', hook_event_name: 'PermissionRequest', tool_name: 'Bash' })], ['codex', big], ['other', '{}'], ['claude', '']];
    for (const [provider, input] of runs) assert.deepEqual(Object.values(relayRun(provider, input)).slice(0, 2), [0, ''], provider);
    for (let waited = 0; received.length < 2 && waited < 2000; waited += 20) await new Promise((r) => setTimeout(r, 20));
    assert.deepEqual(received, [['claude', 'PermissionRequest', 'Bash'], ['codex', 'PreToolUse', 'ExitPlanMode']], 'an input over the cap is read for its leading fields');
  } finally {
    server.close();
  }
});
