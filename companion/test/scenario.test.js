'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { makeHost, startHost, ROOT } = require('./support');
const { resolveRelative } = require('../lib/time');
const { checkSnapshot, checkTaskDetail } = require('../lib/shape');

const DEMO = JSON.parse(fs.readFileSync(path.join(ROOT, 'scenarios', 'demo.json'), 'utf8'));
const NOW = Date.parse('2025-05-01T10:00:00Z');

test('relative scenario times resolve against the start time', () => {
  const cases = [['now', 0], ['now-5m', -300000], ['now+1d2h', 93600000], ['now-90s', -90000], ['nowish', null], ['-5m', null], ['now-5x', null]];
  for (const [text, offset] of cases) {
    assert.equal(resolveRelative(text, NOW), offset === null ? null : new Date(NOW + offset).toISOString().replace('.000', ''), text);
  }
});

test('the demo scenario has the types the app reads and shows every situation', () => {
  const host = makeHost(structuredClone(DEMO));
  const status = host.state.snapshot();
  assert.deepEqual(checkSnapshot(status), []);
  for (const [key, detail] of Object.entries(host.state.taskDetails)) assert.deepEqual(checkTaskDetail(detail, key), []);
  assert.ok(status.tasks.items.every((t) => host.state.taskDetails[t.key || t.id]), 'every task has a detail');

  const { sessions } = status.sessionSupervision;
  const runs = status.deliveryHooks.runs;
  const runFor = (s) => runs.find((r) => r.provider === s.provider && r.session === s.session);
  const modes = new Set(sessions.filter((s) => !s.autoContinue && !runFor(s)).map((s) => `${s.binding.mode}:${s.analysis?.state === 'needs_user'}`));
  for (const listed of ['unmanaged:true', 'unmanaged:false', 'monitor:false', 'pending_takeover:false']) assert.ok(modes.has(listed), listed);
  assert.ok(sessions.some((s) => runFor(s)?.needsAttention) && sessions.some((s) => runFor(s) && !runFor(s).needsAttention));
  const analysed = new Set(sessions.map((s) => s.analysis?.state || 'unanalysed'));
  for (const state of ['unanalysed', 'queued', 'analyzing', 'continue', 'no_action', 'needs_user', 'waiting', 'uncertain', 'failed']) assert.ok(analysed.has(state), state);
  const statuses = new Set(sessions.filter((s) => s.autoContinue).map((s) => s.autoContinueStatus));
  for (const status of ['supervising', 'finished', 'limit', 'needs_user', 'unavailable', 'error', 'waiting', 'watching']) assert.ok(statuses.has(status), status);
  assert.ok(sessions.some((s) => s.binding.mode === 'standard_loop' && !runFor(s)), 'a run still starting');
  assert.ok(sessions.every((s) => runFor(s) || s.binding.mode !== 'managed'), 'managed conversations have their run');

  const situations = {
    'approval pending': (r) => r.canApprove && r.pendingApproval.id,
    'dependency wait': (r) => r.canResolveDependency,
    'manual verification': (r) => r.state === 'verification_pending' && r.acceptanceCriteria.some((c) => c.check.type === 'manual' && r.verification.pending.includes(c.id)),
    paused: (r) => r.state === 'paused' && r.canResume,
    'active with understanding': (r) => r.state === 'active' && !r.phase && r.sessionUnderstanding?.done?.length > 0,
    'answerable question': (r) => r.phase === 'needs_clarification' && r.canAnswer,
    'Codex handoff': (r) => r.provider === 'codex' && r.state === 'recovery_required' && r.approvedAction && r.canResume,
    'reported done': (r) => r.state === 'reported_done',
    'waiting for the conversation': (r) => r.state === 'recovery_required' && r.capability === 'codex_app_server' && !r.approvedAction,
    'failed, recovered by hand': (r) => r.capability === 'manual_recovery' && r.state === 'exhausted' && r.canReplan && r.needsAttention,
    completed: (r) => r.state === 'completed' && r.verification.total > 0 && r.verification.verified === r.verification.total && !r.canStop,
  };
  for (const [name, matches] of Object.entries(situations)) assert.ok(runs.some(matches), name);
  assert.ok(runs.some((r) => r.plan.alternatives && r.decision && r.decisionHistory.length > 1 && r.verification.verified > 0));

  const records = [...sessions, ...runs];
  for (const { provider, session, originalSessionTarget: target } of records) {
    if (target?.kind === 'url') assert.equal(target.url, `codex://threads/${session}`, `${provider} ${session}`);
  }
  assert.ok(records.some((r) => r.originalSessionTarget?.kind === 'manual'));
  assert.ok(records.some((r) => r.actionDeadline?.status === 'due' && r.actionAssociation.binding.action));
  assert.ok(records.some((r) => r.actionDeadline?.status === 'overdue'));
  assert.ok(new Set(status.tasks.items.map((t) => t.state)).size >= 6);
});

// The app masks web addresses, credential-like words and long opaque runs in host texts; the demo's own
// wording must never trip those rules, or the user would see "•••" in ordinary sentences. A well-formed
// SHA-256 digest is shown as it is.
test('no demo text is mangled by the app\'s redaction', () => {
  const rules = [/https?:\/\/\S+/, /(bearer|token|secret|session|password)[=: ]+\S+/i, /[A-Za-z0-9_-]{40,}/];
  const exempt = new Set(['url', 'webOrigin', 'session', 'taskId', 'id', 'key', 'sha256']);
  const hits = [];
  const walk = (value, where) => {
    if (typeof value === 'string') {
      if (rules.some((rule) => rule.test(value))) hits.push(`${where}: ${value.slice(0, 60)}`);
    } else if (value && typeof value === 'object') {
      for (const [key, item] of Object.entries(value)) if (!exempt.has(key)) walk(item, `${where}.${key}`);
    }
  };
  walk(DEMO.status, 'status');
  walk(DEMO.analysisResults, 'analysisResults');
  walk(DEMO.live, 'live');
  assert.deepEqual(hits, []);
});

test('the demo is alive: turns start and finish, the active run progresses, tasks move on', async () => {
  const host = startHost({ env: { VODU_HOST_TICK_MS: '40', VODU_HOST_STEP_MS: '5', VODU_HOST_HEARTBEAT_MS: '1000' } });
  const turn = (m) => m.status.sessionSupervision.sessions.find((s) => s.session === '2c9e6f13-a4d8-4b70-8e25-f1b3d7a0c964');
  const statuses = () => host.messages().filter((m) => m.type === 'status');
  await host.waitFor((m) => m.type === 'status' && turn(m).isRunning === true);
  await host.waitFor((m) => m.type === 'status' && turn(m).isRunning === false && statuses().some((s) => turn(s).isRunning));
  await host.waitFor((m) => m.type === 'status' && m.status.tasks.items[0].state === 'succeeded' && m.status.tasks.items[1].state === 'running');
  const coldStart = statuses().map((m) => m.status.deliveryHooks.runs[1].sessionUnderstanding.done.length);
  assert.ok(Math.max(...coldStart) > coldStart[0], 'the active run reports progress');
  const first = statuses()[0].status.sessionSupervision.sessions;
  assert.deepEqual(first.filter((s) => s.analysis?.state === 'queued').length, 1);
  const settled = (id) => statuses().at(-1).status.sessionSupervision.sessions.find((s) => s.session === id).analysis.state;
  assert.deepEqual([settled('d8f2a4c6-1e37-4b95-9a0c-3b7e5f1d8a24'), settled('9e1c7a35-b4d2-4f68-8c03-a2f6e0b9d715')], ['continue', 'no_action']);
  await host.stop();
});
