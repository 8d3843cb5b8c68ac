'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { makeHost, ROOT } = require('./support');
const { checkSnapshot } = require('../lib/shape');

const DEMO = JSON.parse(fs.readFileSync(path.join(ROOT, 'scenarios', 'demo.json'), 'utf8'));
const demo = (edit = () => {}) => {
  const scenario = structuredClone(DEMO);
  edit(scenario);
  return makeHost(scenario);
};

const S = {
  exports: { provider: 'codex', session: '0f3a9d27-6b1e-4c58-a2d4-7e91b3c60f85', taskId: 'task_stream_exports' },
  rotation: { provider: 'codex', session: '7d1b4e8a-3c62-4f95-b0a7-e5c2d9f1a346', taskId: 'task_staging_rotation' },
  rateLimits: { provider: 'codex', session: '2c9e6f13-a4d8-4b70-8e25-f1b3d7a0c964', taskId: 'task_rate_limits' },
  unanalysed: { provider: 'claude', session: '5a3d8b61-f2c7-4e94-a1b8-6c0e9d4f2b53' },
  monitor: { provider: 'claude', session: 'a1c5e9b3-6d27-4f48-8b0e-2f9d4a7c6e18' },
  approval: { provider: 'codex', session: '5b1f0c3e-8a42-4d67-9e10-2c7ab4f9d381', taskId: 'task_billing_webhook' },
  dependency: { provider: 'claude', session: 'a7d3e9b2-4c15-4f8e-b6a0-93e1d5c27f44', taskId: 'task_search_upgrade' },
  verify: { provider: 'codex', session: 'e2c84f1a-0b6d-4a3e-8f57-1d9b6c4e2a70', taskId: 'task_palette' },
  paused: { provider: 'claude', session: '3d9a1c7e-52b4-4e08-a6f3-8c2d0b7e915a', taskId: 'task_onboarding_ja' },
  active: { provider: 'codex', session: '9c4e7b2d-1f83-4a6c-b0d5-6e2a8f3c1b97', taskId: 'task_cold_start' },
  question: { provider: 'claude', session: '6f2b8d4a-9e17-4c3b-a5d0-2b7e1c9f4d63', taskId: 'task_retry_budget' },
  handoff: { provider: 'codex', session: '1a8e5c3f-7d29-4b60-9c14-f3a2e6b8d057', taskId: 'task_drop_invoices_v1' },
  recovery: { provider: 'claude', session: 'd4b9e2a7-61c3-4f5d-8a0e-7c3b1f96e258', taskId: 'task_checkout_e2e' },
  done: { provider: 'codex', session: 'f7a2c9d4-3e18-4b6a-9d05-2c8e1b7f4a69', taskId: 'task_csv_export' },
};
const runOf = (host, ids) => host.state.findRun(ids.provider, ids.session, ids.taskId);
const sessionOf = (host, ids) => host.state.findSession(ids.provider, ids.session);
const revisions = (b, c, k) => ({ expectedBindingRevision: b, expectedContextRevision: c, expectedCandidateRevision: k });
const deadlineFields = (extra) => ({
  ...S.exports, actionId: 'act_stream_exports', reminderKey: 'act_stream_exports:due', reminderRevision: 1,
  expectedActionRevision: 5, expectedBindingRevision: 2, expectedDecisionRevision: null, requestId: 'req-1', choice: 'keep_scope', ...extra,
});
const criterion = (i, description = `Criterion ${i}`) => ({ id: `criterion_${i}`, description, check: { type: 'manual' } });
const enrolment = (extra) => ({
  ...S.rateLimits, autonomyPolicy: 'balanced', maxMinutes: 30, maxContinuations: 6, maxFailures: 3,
  objective: 'Send Retry-After on every 429.', acceptanceCriteria: [criterion(1)], ...extra,
});

test('refused commands explain themselves and change nothing', () => {
  const cases = [
    ['task_detail', { taskKey: 'tsk_gone' }, /no longer listed/],
    ['session_analyze', { provider: 'codex', session: 'unknown' }, /no longer available/],
    ['session_set_auto_continue', { ...S.monitor, enabled: true }, /not available/],
    ['session_set_auto_continue', { ...S.rateLimits, enabled: 'yes' }, /true or false/],
    ['session_enroll', enrolment({ acceptanceCriteria: [] }), /1 and 20/],
    ['session_enroll', enrolment({ acceptanceCriteria: Array.from({ length: 21 }, (_, i) => criterion(i + 1)) }), /1 and 20/],
    ['session_enroll', enrolment({ acceptanceCriteria: [criterion(1, 'x'.repeat(501))] }), /1 to 500/],
    ['session_enroll', enrolment({ acceptanceCriteria: [criterion(1), criterion(1)] }), /own id/],
    ['session_enroll', enrolment({ acceptanceCriteria: [{ ...criterion(1), check: { type: 'auto' } }] }), /manually/],
    ['session_enroll', enrolment({ objective: 'g'.repeat(2001) }), /2000/],
    ['session_enroll', enrolment({ autonomyPolicy: 'reckless' }), /one of/],
    ['session_enroll', enrolment({ ...S.monitor }), /cannot be set/],
    ['session_answer', { ...S.question, questionId: 'q_old', answer: 'Per key' }, /already answered/],
    ['session_action_select', { ...S.rotation, ...revisions(7, 1, 1), actionId: 'act_infra_hygiene', expectedActionRevision: 2 }, /changed while/],
    ['session_action_select', { ...S.rotation, ...revisions(0, 1, 1), actionId: 'act_infra_hygiene', expectedActionRevision: 1 }, /changed while/],
    ['session_action_unlink', { ...S.rotation, ...revisions(0, 1, 1) }, /No Action is linked/],
    ['session_deadline_decide', deadlineFields({ expectedDecisionRevision: 4 }), /deadline changed/],
    ['session_deadline_decide', deadlineFields({ choice: 'give_up' }), /not offered/],
    ['delivery_approve', { ...S.approval, approvalId: 'appr_0001' }, /no longer pending/],
    ['delivery_pause', S.paused, /cannot be paused/],
    ['delivery_resume', S.active, /cannot be resumed/],
    ['delivery_set_policy', { ...S.approval, autonomyPolicy: 'yolo' }, /one of/],
    ['delivery_verify', { ...S.verify, criterionId: 'crit_contrast' }, /not waiting/],
    ['delivery_dependency_ready', { ...S.dependency, waitId: 'wait_other', answer: 'Quota raised' }, /has changed/],
    ['delivery_dependency_ready', { ...S.dependency, waitId: 'wait_disk_quota', answer: '   ' }, /empty/],
    ['delivery_resume', S.recovery, /cannot be resumed/],
    ['delivery_stop', S.done, /already ended/],
    ['delivery_verify', { ...S.done, criterionId: 'crit_filtered_rows' }, /already ended/],
  ];
  for (const [action, fields, message] of cases) {
    const host = demo();
    const before = JSON.stringify(host.status);
    const result = host.run(action, fields);
    assert.equal(result.ok, false, `${action} ${JSON.stringify(fields).slice(0, 80)}`);
    assert.match(result.message, message, action);
    host.settle();
    assert.equal(JSON.stringify(host.status), before, `${action} must not change state`);
  }
});

test('each action moves the state the way a user expects', () => {
  const run = (ids) => (h) => runOf(h, ids);
  const rec = (ids) => (h) => sessionOf(h, ids);
  const cases = [
    ['login', {}, (s) => { s.status.auth = { state: 'signed_out' }; s.status.connection = {}; }, (h) => [h.status.auth.userLabel, h.status.connection.state], ['Alex Rivera', 'online']],
    ['reconnect', {}, null, (h) => [h.status.connection.state], ['online']],
    ['claude_login', {}, null, (h) => [h.status.providers.claude.state], ['ready']],
    ['claude_hooks', {}, (s) => { s.status.pluginSetup = {}; }, (h) => [h.status.pluginSetup.state, h.status.deliveryHooks.providers.claude.state], ['ready', 'observed']],
    ['install_plugins', {}, null, (h) => [h.status.pluginSetup.state, h.status.pluginSetup.refreshPending], ['ready', true]],
    ['remove_plugins', {}, null, (h) => [h.status.pluginSetup.state, h.status.deliveryHooks.providers.codex.state], [undefined, 'missing']],
    ['check_update', {}, null, (h) => [h.status.update.state, h.status.update.latestVersion], ['available', '0.2.0']],
    ['update', {}, null, (h) => [h.status.update.state, h.status.update.available], ['installed', false]],
    ['quit', { force: true }, null, (h) => h.sent, [{ type: 'exit' }]],
    ['session_analyze', S.unanalysed, null, (h) => [rec(S.unanalysed)(h).analysis.nextAction], ['Make the batch number unique and add a regression test.']],
    ['session_set_auto_continue', { ...S.rateLimits, enabled: true }, null, (h) => [rec(S.rateLimits)(h).autoContinue, rec(S.rateLimits)(h).autoContinueStatus], [true, 'supervising']],
    ['session_set_auto_continue', { ...S.exports, enabled: false }, null, (h) => [rec(S.exports)(h).autoContinue, rec(S.exports)(h).autoContinueStatus], [false, undefined]],
    ['session_enroll', enrolment({ objective: 'g'.repeat(2000), acceptanceCriteria: Array.from({ length: 20 }, (_, i) => criterion(i + 1, 'c'.repeat(500))) }), null,
      (h) => [run(S.rateLimits)(h).state, run(S.rateLimits)(h).phase, run(S.rateLimits)(h).verification.pending.length, rec(S.rateLimits)(h).binding.mode, run(S.rateLimits)(h).actionAssociation.status],
      ['active', undefined, 20, 'managed', 'no_match']],
    ['session_answer', { ...S.question, questionId: 'q_budget_scope', answer: 'Per API key.' }, null, (h) => [run(S.question)(h).phase, run(S.question)(h).understandingQuestion, run(S.question)(h).canAnswer], [undefined, undefined, false]],
    ['delivery_approve', { ...S.approval, approvalId: 'appr_1042' }, null, (h) => [run(S.approval)(h).state, run(S.approval)(h).pendingApproval, run(S.approval)(h).decisionHistory[1].result], ['active', undefined, 'approved']],
    ['delivery_approve', { ...S.approval, approvalId: 'appr_1042' }, (s) => { s.status.deliveryHooks.runs[0].pendingApproval.action.kind = 'external'; },
      (h) => [run(S.approval)(h).state, run(S.approval)(h).approvedAction.id, run(S.approval)(h).canResume], ['recovery_required', 'appr_1042', true]],
    ['delivery_reject', { ...S.approval, approvalId: 'appr_1042' }, null, (h) => [run(S.approval)(h).pendingApproval.denied, run(S.approval)(h).canApprove, run(S.approval)(h).canReplan], [true, false, true]],
    ['delivery_pause', S.active, null, (h) => [run(S.active)(h).state, run(S.active)(h).canResume], ['paused', true]],
    ['delivery_resume', S.paused, null, (h) => [run(S.paused)(h).state], ['active']],
    ['delivery_resume', S.handoff, null, (h) => [run(S.handoff)(h).state, run(S.handoff)(h).approvedAction, run(S.handoff)(h).decisionHistory[0].result], ['active', undefined, 'reported']],
    ['delivery_stop', S.active, null, (h) => [run(S.active)(h).state, run(S.active)(h).canStop, rec(S.active)(h).binding.mode], ['stopped', false, 'unmanaged']],
    ['delivery_replan', S.dependency, null, (h) => [run(S.dependency)(h).state, run(S.dependency)(h).canResolveDependency], ['active', false]],
    ['delivery_set_policy', { ...S.approval, autonomyPolicy: 'balanced' }, null, (h) => [run(S.approval)(h).autonomyPolicy], ['balanced']],
    ['delivery_replan', S.recovery, null, (h) => [run(S.recovery)(h).state, run(S.recovery)(h).needsAttention, run(S.recovery)(h).decisionHistory[0].result],
      ['active', false, 'replanning']],
    ['delivery_verify', { ...S.recovery, criterionId: 'crit_green_runs' }, null, (h) => [run(S.recovery)(h).state, run(S.recovery)(h).verification.verified, run(S.recovery)(h).canStop],
      ['completed', 1, false]],
    ['delivery_dependency_ready', { ...S.dependency, waitId: 'wait_disk_quota', answer: 'Quota is 200 GB.' }, null,
      (h) => [run(S.dependency)(h).state, run(S.dependency)(h).dependencyWait, run(S.dependency)(h).decisionHistory[0].reason], ['active', undefined, 'Quota is 200 GB.']],
    ['session_action_select', { ...S.rotation, ...revisions(0, 1, 1), actionId: 'act_infra_hygiene', expectedActionRevision: 2 }, null,
      (h) => [rec(S.rotation)(h).actionAssociation.binding.revision, rec(S.rotation)(h).actionAssociation.binding.action.id, rec(S.rotation)(h).actionDeadline.status], [1, 'act_infra_hygiene', 'due']],
    ['session_action_unlink', { ...S.exports, ...revisions(2, 3, 2) }, null,
      (h) => [rec(S.exports)(h).actionAssociation.binding.action, rec(S.exports)(h).actionAssociation.binding.revision, rec(S.exports)(h).actionDeadline], [undefined, 3, undefined]],
    ['session_action_refresh', { ...S.rateLimits, ...revisions(0, 2, 1) }, null, (h) => [rec(S.rateLimits)(h).actionAssociation.status, rec(S.rateLimits)(h).actionAssociation.candidateRevision], ['no_match', 2]],
    ['session_deadline_decide', {
      ...S.approval, actionId: 'act_dup_invoices', reminderKey: 'act_dup_invoices:overdue', reminderRevision: 1,
      expectedActionRevision: 7, expectedBindingRevision: 3, expectedDecisionRevision: null, requestId: 'r', choice: 'revise_deadline',
    }, null, (h) => [run(S.approval)(h).actionDeadline.status, rec(S.approval)(h).actionDeadline.decision.choice], ['decided', 'revise_deadline']],
  ];
  for (const [action, fields, setup, pick, expected] of cases) {
    const host = demo(setup || undefined);
    const result = host.run(action, fields);
    assert.equal(result.ok, true, `${action}: ${result.message}`);
    host.settle();
    assert.deepEqual(pick(host), expected, action);
    assert.deepEqual(checkSnapshot(host.state.snapshot()), [], action);
  }
});

test('staged actions show their intermediate state before settling', () => {
  const host = demo();
  host.run('reconnect');
  host.run('install_plugins');
  host.run('session_analyze', S.unanalysed);
  assert.deepEqual([host.status.connection.state, host.status.pluginSetup.state, sessionOf(host, S.unanalysed).analysis.state], ['connecting', 'installing', 'queued']);
  assert.match(host.run('install_plugins').message, /already/);
  host.settle();
  assert.equal(sessionOf(host, S.unanalysed).analysis.state, 'continue');
});

test('verifying the last pending manual criterion completes the run', () => {
  const host = demo();
  assert.equal(host.run('delivery_verify', { ...S.verify, criterionId: 'crit_charts' }).ok, true);
  assert.deepEqual([runOf(host, S.verify).state, runOf(host, S.verify).verification.pending], ['verification_pending', ['crit_design']]);
  assert.equal(host.run('delivery_verify', { ...S.verify, criterionId: 'crit_design' }).ok, true);
  const run = runOf(host, S.verify);
  assert.deepEqual([run.state, run.verification.verified, run.verification.total, run.canStop], ['completed', 4, 4, false]);
  assert.equal(run.verification.results.crit_design.source, 'user_attestation');
  assert.equal(host.run('delivery_verify', { ...S.verify, criterionId: 'crit_design' }).ok, false);
});

test('a deadline decision is applied once per requestId', () => {
  const host = demo();
  assert.equal(host.run('session_deadline_decide', deadlineFields()).ok, true);
  const decided = structuredClone(sessionOf(host, S.exports).actionDeadline);
  assert.deepEqual([decided.status, decided.decision.choice, decided.decision.revision], ['decided', 'keep_scope', 1]);
  assert.equal(host.run('session_deadline_decide', deadlineFields()).ok, true, 'a retry is answered again');
  assert.deepEqual(sessionOf(host, S.exports).actionDeadline, decided, 'but not applied twice');
  assert.match(host.run('session_deadline_decide', deadlineFields({ choice: 'reduce_scope' })).message, /different decision/);
  const newReminder = deadlineFields({ reminderKey: 'act_stream_exports:overdue', expectedDecisionRevision: 1 });
  assert.match(host.run('session_deadline_decide', newReminder).message, /another reminder/);
  const next = host.run('session_deadline_decide', deadlineFields({ requestId: 'req-2', choice: 'reduce_scope', expectedDecisionRevision: 1 }));
  assert.equal(next.ok, true);
  assert.equal(sessionOf(host, S.exports).actionDeadline.decision.revision, 2);
});

test('an association change is checked against the revisions the user reviewed, whatever their JSON type', () => {
  const revisions = { bindingRevision: { etag: 'b7', n: 2 }, contextRevision: '9007199254740993', candidateRevision: [1, 'x'] };
  const host = demo((s) => {
    const record = s.status.sessionSupervision.sessions.find((r) => r.session === S.rotation.session);
    Object.assign(record.actionAssociation, { contextRevision: revisions.contextRevision, candidateRevision: revisions.candidateRevision });
    record.actionAssociation.binding.revision = revisions.bindingRevision;
  });
  const select = (binding) => host.run('session_action_select', {
    ...S.rotation, actionId: 'act_infra_hygiene', expectedActionRevision: 2,
    expectedBindingRevision: binding, expectedContextRevision: revisions.contextRevision, expectedCandidateRevision: revisions.candidateRevision,
  });
  assert.match(select({ etag: 'b7', n: 3 }).message, /changed while you were reviewing/);
  assert.equal(sessionOf(host, S.rotation).actionAssociation.binding.action, undefined, 'a stale change is not applied');
  // The same object with its keys in another order is the same revision.
  assert.equal(select({ n: 2, etag: 'b7' }).ok, true);
  const binding = sessionOf(host, S.rotation).actionAssociation.binding;
  assert.deepEqual([binding.action.id, binding.revision, binding.origin], ['act_infra_hygiene', 1, 'user']);
  assert.match(select({ n: 2, etag: 'b7' }).message, /changed while you were reviewing/, 'the reviewed revision is spent');
});

test('runs that VODU does not manage, or that have ended, refuse steering', () => {
  for (const edit of [{ managed: false }, { state: 'completed' }, { state: 'stopped' }]) {
    const host = demo((s) => Object.assign(s.status.deliveryHooks.runs[0], edit));
    for (const [action, extra] of [['delivery_approve', { approvalId: 'appr_1042' }], ['delivery_stop', {}], ['delivery_set_policy', { autonomyPolicy: 'balanced' }]]) {
      assert.equal(host.run(action, { ...S.approval, ...extra }).ok, false, `${action} ${JSON.stringify(edit)}`);
    }
  }
});
