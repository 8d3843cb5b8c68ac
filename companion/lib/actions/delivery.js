'use strict';

const { refuse, text, choice } = require('../fields');
const { object, isObject, runKey, dependencyWaiting, hasApprovedManualCodexAction, MANUAL_KINDS } = require('../records');
const { runFrom, recordDecision } = require('./common');
const { POLICIES } = require('./sessions');

// Steering a Dozadavi Zaro run. Each command checks the permission the snapshot grants for the run's state.

const POLICY_NAMES = { autonomous: 'Autonomous', balanced: 'Balanced', strict: 'Strict' };

function managedRun(cmd, state) {
  const run = runFrom(cmd, state);
  if (run.managed !== true) refuse('VODU does not manage this run, so it cannot change it.');
  return run;
}

function allowed(run, permission, message) {
  if (run[permission] !== true) refuse(message);
}

function pendingApprovalFor(cmd, run) {
  const approvalId = text(cmd, 'approvalId', { max: 200 });
  const approval = object(run.pendingApproval);
  if (approval.id !== approvalId) refuse('This approval request is no longer pending. Refresh to see the latest.');
  if (approval.denied === true) refuse('This request was already declined.');
  return approval;
}

function releaseSession(state, run) {
  const record = state.findSession(run.provider, run.session);
  if (!record || object(record.binding).taskId !== run.taskId) return;
  record.binding = { mode: 'unmanaged' };
  record.capabilities = { canAnalyze: true, canAutoContinue: true, canEnroll: true };
}

// A recorded handoff is finished by the user in Codex; the conversation reports back a little later.
function awaitHandoffReport(state, run) {
  const approvedId = object(run.approvedAction).id;
  state.later(4, () => {
    if (run.state !== 'active' || object(run.approvedAction).id !== approvedId) return;
    const action = object(run.approvedAction.action);
    delete run.approvedAction;
    recordDecision(state, run, { summary: action.summary || 'Approved action', kind: action.kind, result: 'reported', reason: 'The original conversation reported the action as done.' });
    run.nextStep = 'Check the reported result against the acceptance criteria.';
    state.changed();
  });
}

const handlers = {
  delivery_approve: (cmd, { state }) => {
    const run = managedRun(cmd, state);
    const approval = pendingApprovalFor(cmd, run);
    allowed(run, 'canApprove', 'This request cannot be approved now.');
    const action = isObject(approval.action) ? approval.action : { summary: approval.summary, scope: approval.scope };
    const summary = approval.summary || action.summary || 'Requested action';
    delete run.pendingApproval;
    recordDecision(state, run, { summary, kind: action.kind, result: 'approved', reason: 'Approved by you.' });
    if (run.provider === 'codex' && MANUAL_KINDS.has(action.kind)) {
      // VODU never runs these itself: the user carries them out in Codex after a recorded handoff.
      run.approvedAction = { id: approval.id, action, ...(approval.scope ? { scope: approval.scope } : {}) };
      run.state = 'recovery_required';
    } else {
      if (run.state !== 'paused') run.state = 'active';
      run.nextStep = `Carrying out: ${summary}`;
      state.later(3, () => {
        if (run.state !== 'active' || isObject(run.pendingApproval)) return;
        recordDecision(state, run, { summary, kind: action.kind, result: 'succeeded', reason: 'Checked right after it ran.' });
        run.nextStep = 'Check the result against the acceptance criteria.';
        state.changed();
      });
    }
    state.changed();
  },

  delivery_reject: (cmd, { state }) => {
    const run = managedRun(cmd, state);
    const approval = pendingApprovalFor(cmd, run);
    allowed(run, 'canReject', 'This request cannot be declined now.');
    approval.denied = true;
    run.pendingApproval = approval;
    recordDecision(state, run, { summary: approval.summary || 'Requested action', result: 'declined', reason: 'Declined by you.' });
    state.changed();
  },

  delivery_pause: (cmd, { state }) => {
    const run = managedRun(cmd, state);
    allowed(run, 'canPause', 'This run cannot be paused now.');
    state.resumeStates.set(runKey(run), run.state);
    run.state = 'paused';
    recordDecision(state, run, { summary: 'Paused by you', result: 'paused' });
    state.changed();
  },

  delivery_resume: (cmd, { state }) => {
    const run = managedRun(cmd, state);
    allowed(run, 'canResume', 'This run cannot be resumed now.');
    if (run.state === 'recovery_required' && hasApprovedManualCodexAction(run)) {
      run.state = 'active';
      recordDecision(state, run, { summary: 'Handoff recorded', result: 'handed_off', reason: 'Finish the approved action in the original Codex conversation.' });
      awaitHandoffReport(state, run);
    } else {
      run.state = state.resumeStates.get(runKey(run)) || 'active';
      state.resumeStates.delete(runKey(run));
      recordDecision(state, run, { summary: 'Resumed by you', result: 'resumed' });
    }
    state.changed();
  },

  delivery_stop: (cmd, { state }) => {
    const run = managedRun(cmd, state);
    allowed(run, 'canStop', 'This run has already ended.');
    run.state = 'stopped';
    for (const key of ['phase', 'pendingApproval', 'dependencyWait', 'understandingQuestion', 'approvedAction', 'nextStep']) delete run[key];
    recordDecision(state, run, { summary: 'Stopped by you', result: 'stopped' });
    releaseSession(state, run);
    state.changed();
  },

  delivery_replan: (cmd, { state }) => {
    const run = managedRun(cmd, state);
    allowed(run, 'canReplan', 'This run cannot be replanned now.');
    if (object(run.pendingApproval).denied === true) delete run.pendingApproval;
    delete run.dependencyWait;
    delete run.approvedAction;
    if (['blocked', 'exhausted', 'recovery_required'].includes(run.state)) run.state = 'active';
    const plan = object(run.plan);
    delete plan.selectedOptionId;
    run.plan = plan;
    run.nextStep = 'Re-planning from the latest evidence…';
    recordDecision(state, run, { summary: 'Replanning requested', result: 'replanning', reason: 'Requested by you.' });
    state.changed();
    state.later(2, () => {
      const recommended = (Array.isArray(plan.alternatives) ? plan.alternatives : [])
        .find((o) => object(o).id === object(plan.recommendation).optionId);
      const summary = object(object(recommended).action).summary;
      run.nextStep = summary ? `Follow the revised plan: ${summary}` : 'Continue with the revised plan.';
      state.changed();
    });
  },

  delivery_set_policy: (cmd, { state }) => {
    const run = managedRun(cmd, state);
    const policy = choice(cmd, 'autonomyPolicy', POLICIES);
    allowed(run, 'canSetPolicy', 'The policy of this run cannot be changed now.');
    if (run.autonomyPolicy !== policy) {
      const before = POLICY_NAMES[run.autonomyPolicy];
      run.autonomyPolicy = policy;
      recordDecision(state, run, { summary: `Autonomy policy set to ${POLICY_NAMES[policy]}`, result: 'applied', ...(before ? { reason: `Was ${before}.` } : {}) });
    }
    state.changed();
  },

  delivery_verify: (cmd, { state }) => {
    const run = managedRun(cmd, state);
    const criterionId = text(cmd, 'criterionId', { max: 200 });
    if (run.canStop !== true) refuse('This run has already ended.');
    const verification = object(run.verification);
    const criterion = (Array.isArray(run.acceptanceCriteria) ? run.acceptanceCriteria : []).find((c) => object(c).id === criterionId);
    const pending = Array.isArray(verification.pending) ? verification.pending : [];
    if (!criterion || object(criterion.check).type !== 'manual' || !pending.includes(criterionId)) {
      refuse('This criterion is not waiting for your verification.');
    }
    verification.pending = pending.filter((id) => id !== criterionId);
    verification.results = { ...object(verification.results), [criterionId]: { verified: true, source: 'user_attestation', checkedAt: state.nowIso() } };
    run.verification = verification;
    recordDecision(state, run, { summary: `Verified: ${criterion.description || criterionId}`.slice(0, 180), result: 'verified', reason: 'Confirmed by you.' });
    if (verification.pending.length === 0) {
      run.state = 'completed';
      for (const key of ['phase', 'nextStep', 'pendingApproval', 'dependencyWait']) delete run[key];
      recordDecision(state, run, { summary: 'All acceptance criteria verified', result: 'completed' });
    }
    state.changed();
  },

  delivery_dependency_ready: (cmd, { state }) => {
    const run = managedRun(cmd, state);
    const waitId = text(cmd, 'waitId', { max: 200 });
    const answer = text(cmd, 'answer', { max: 1000 }).trim();
    if (!dependencyWaiting(run)) refuse('This run is not waiting for a dependency.');
    if (run.dependencyWait.id !== waitId) refuse('This dependency wait has changed. Refresh to see the latest.');
    allowed(run, 'canResolveDependency', 'This dependency cannot be confirmed now.');
    const condition = run.dependencyWait.condition;
    delete run.dependencyWait;
    run.state = 'active';
    run.nextStep = 'Resume the work that waited for this dependency.';
    recordDecision(state, run, { summary: `Dependency ready${condition ? `: ${condition}` : ''}`.slice(0, 180), result: 'confirmed', reason: answer.slice(0, 180) });
    state.changed();
  },
};

module.exports = { handlers };
