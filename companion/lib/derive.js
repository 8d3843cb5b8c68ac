'use strict';

const { object, filled, hasApprovedManualCodexAction, dependencyWaiting } = require('./records');

// Values that follow from the rest of the snapshot are recomputed after every change, so a scenario or an
// action can never leave them contradicting the state.

const FINISHED = new Set(['completed', 'complete', 'succeeded', 'stopped']);
const PAUSABLE = new Set(['active', 'auto_resuming', 'blocked', 'verification_pending']);
const REPLANNABLE = new Set(['blocked', 'exhausted', 'paused', 'recovery_required']);
const ACTIVE_TASK_STATES = new Set(['running', 'coding']);

function deriveVerification(run) {
  const criteria = Array.isArray(run.acceptanceCriteria) ? run.acceptanceCriteria : [];
  const verification = object(run.verification);
  const results = object(verification.results);
  const ids = new Set(criteria.map((c) => object(c).id).filter(filled));
  const pending = Array.isArray(verification.pending) ? verification.pending.filter((id) => ids.has(id)) : [];
  const verified = [...ids].filter((id) => object(results[id]).verified === true).length;
  run.verification = { ...verification, pending, results, verified, total: ids.size };
}

function deriveRun(run) {
  const live = run.managed === true && !FINISHED.has(run.state);
  const approval = object(run.pendingApproval);
  const asking = filled(approval.id) && approval.denied !== true;
  const declined = filled(approval.id) && approval.denied === true;
  const waiting = dependencyWaiting(run);
  const handoff = hasApprovedManualCodexAction(run);
  const clarifying = run.phase === 'needs_clarification';
  deriveVerification(run);
  Object.assign(run, {
    canApprove: live && asking,
    canReject: live && asking,
    canPause: live && PAUSABLE.has(run.state),
    canResume: live && (run.state === 'paused' || (run.state === 'recovery_required' && handoff)),
    canReplan: live && (REPLANNABLE.has(run.state) || declined),
    canStop: live,
    canSetPolicy: live,
    canResolveDependency: live && waiting,
    canAnswer: live && clarifying && filled(object(run.understandingQuestion).id),
    needsAttention: live && (asking || declined || clarifying || waiting
      || run.state === 'verification_pending' || run.state === 'exhausted'
      || (run.state === 'recovery_required' && (run.capability === 'manual_recovery' || handoff))),
  });
}

function deriveStatus(status) {
  for (const run of status.deliveryHooks.runs) deriveRun(run);
  const items = status.tasks.items;
  status.tasks.activeCount = items.filter((task) => ACTIVE_TASK_STATES.has(object(task).state)).length;
}

module.exports = { deriveStatus, deriveRun };
