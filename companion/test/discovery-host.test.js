'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { startHost, tempDir } = require('./support');
const { claude: c, codex: x, uuid } = require('./transcripts');
const { checkSnapshot } = require('../lib/shape');

// A machine with one conversation per provider, and stand-ins for the tools discovery asks.
function machine() {
  const dir = tempDir();
  const env = { CLAUDE_CONFIG_DIR: path.join(dir, 'claude'), CODEX_HOME: path.join(dir, 'codex'), VODU_HOST_DISCOVERY: 'auto' };
  const claudeFile = c.write(env.CLAUDE_CONFIG_DIR, uuid(1), [c.user('Speed up the build'), c.reply('Done.'), c.end()], { ageMs: 60000 });
  x.write(env.CODEX_HOME, uuid(2), [x.meta(uuid(2)), x.ask('Add paging'), x.started(), x.complete()], { ageMs: 60000 });
  const bin = path.join(dir, 'bin');
  fs.mkdirSync(bin);
  const script = (name, body) => fs.writeFileSync(path.join(bin, name), `#!/bin/sh\n${body}\n`, { mode: 0o755 });
  script('xdg-mime', '[ "$3" = "x-scheme-handler/codex" ] && echo codex-desktop.desktop');
  script('claude', 'echo "2.1.7 (Claude Code)"');
  return { env, bin, claudeFile };
}

const statusOf = (host) => host.waitFor((m) => m.type === 'status').then((m) => m.status);

test('discovery is the default only without a scenario and with a provider folder', async () => {
  const { env } = machine();
  const scenario = path.join(tempDir(), 'one.json');
  fs.writeFileSync(scenario, JSON.stringify({ status: { tasks: { items: [{ key: 'k', state: 'failed' }] } } }));
  const nowhere = { CLAUDE_CONFIG_DIR: '/nonexistent/c', CODEX_HOME: '/nonexistent/x', VODU_HOST_DISCOVERY: 'auto' };
  const cases = [
    ['provider folders, no scenario', env, 'discovery'],
    ['turned off', { ...env, VODU_HOST_DISCOVERY: 'off' }, 'demo'],
    ['a named scenario', { ...env, VODU_HOST_SCENARIO: scenario }, 'scenario'],
    ['no provider folder', nowhere, 'demo'],
  ];
  const hosts = cases.map(([, caseEnv]) => startHost({ env: caseEnv }));
  for (const [i, [name, , expected]] of cases.entries()) {
    const status = await statusOf(hosts[i]);
    const sessions = status.sessionSupervision.sessions.map((s) => s.session);
    const seen = sessions.includes(uuid(1)) ? 'discovery' : status.tasks.items.length === 1 ? 'scenario' : status.tasks.items.length > 1 ? 'demo' : 'none';
    assert.equal(seen, expected, name);
    await hosts[i].stop();
  }
});

test('in discovery the host reports what is real, declines simulations, and follows changes', async () => {
  const { env, bin, claudeFile } = machine();
  const host = startHost({ env: { ...env, PATH: bin } });
  const first = await statusOf(host);
  assert.deepEqual(checkSnapshot(first), []);
  assert.deepEqual([first.auth, first.connection, first.tasks.items, first.deliveryHooks.runs, first.update], [{}, {}, [], [], undefined], 'no invented account, tasks or runs');
  assert.deepEqual(first.sessionSupervision.sessions.map((s) => [s.provider, s.title]), [['codex', 'Add paging'], ['claude', 'Speed up the build']]);

  const probed = await host.waitFor((m) => m.type === 'status' && m.status.providers.claude && m.status.sessionSupervision.sessions[0].originalSessionTarget.kind === 'url');
  assert.deepEqual(probed.status.providers, { claude: { version: '2.1.7' } });
  assert.deepEqual(probed.status.sessionSupervision.sessions[0].originalSessionTarget, { kind: 'url', url: `codex://threads/${uuid(2)}`, verifiedOnPlatform: true });

  const replies = [['r', 'refresh', {}, true], ['l', 'login', {}, false], ['u', 'check_update', {}, false], ['a', 'session_analyze', { provider: 'claude', session: uuid(1) }, false]];
  for (const [id, action, fields] of replies) host.send({ id, action, ...fields });
  for (const [id, action, , ok] of replies) assert.equal((await host.result(id)).ok, ok, action);

  const written = Date.now();
  fs.appendFileSync(claudeFile, `${JSON.stringify({ ...c.tool('q1', 'AskUserQuestion'), sessionId: uuid(1), timestamp: new Date().toISOString() })}\n`);
  const asking = await host.waitFor((m) => m.type === 'status' && m.status.sessionSupervision.sessions.some((s) => s.analysis.state === 'needs_user'));
  assert.ok(Date.now() - written < 1000, 'the change reached a status within a second');
  assert.equal(asking.status.sessionSupervision.sessions[0].session, uuid(1), 'the newest conversation comes first');
  assert.equal(await host.stop(), 0);
});
