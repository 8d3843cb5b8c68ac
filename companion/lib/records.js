'use strict';

// Small readers shared by the state and the actions; snapshot records are plain JSON objects.

function isObject(value) {
  return Boolean(value) && typeof value === 'object' && !Array.isArray(value);
}

function object(value) {
  return isObject(value) ? value : {};
}

function filled(value) {
  return typeof value === 'string' && value.length > 0;
}

function sessionKey(record) {
  return `${record.provider || ''}|${record.session || ''}`;
}

function runKey(record) {
  return `${record.provider || ''}|${record.session || ''}|${record.taskId || ''}`;
}

// Codex actions of these kinds are never executed by VODU: the user performs them in Codex after approval.
const MANUAL_KINDS = new Set(['external', 'destructive', 'scope_change']);

function hasApprovedManualCodexAction(run) {
  const approved = object(run.approvedAction);
  return run.provider === 'codex' && filled(approved.id) && MANUAL_KINDS.has(object(approved.action).kind);
}

function dependencyWaiting(run) {
  return run.state === 'blocked' && filled(object(run.dependencyWait).id);
}

// Run revisions and other opaque values are compared as JSON; a missing value equals null.
// Revisions are opaque JSON values that clients echo back; a client may write an object's keys in another order.
function canonical(value) {
  if (Array.isArray(value)) return value.map(canonical);
  if (value && typeof value === 'object') {
    return Object.fromEntries(Object.keys(value).sort().map((key) => [key, canonical(value[key])]));
  }
  return value;
}

function sameValue(a, b) {
  return JSON.stringify(canonical(a ?? null)) === JSON.stringify(canonical(b ?? null));
}

function clone(value) {
  return value === undefined ? undefined : structuredClone(value);
}

module.exports = {
  isObject, object, filled, sessionKey, runKey, MANUAL_KINDS, hasApprovedManualCodexAction, dependencyWaiting, sameValue, clone,
};
