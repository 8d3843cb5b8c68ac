'use strict';

const { text, refuse } = require('../fields');

const GONE_SESSION = 'This conversation is no longer available. Refresh and try again.';
const GONE_RUN = 'This Dozadavi Zaro run is no longer available. Refresh and try again.';

function sessionFrom(cmd, state) {
  const record = state.findSession(text(cmd, 'provider', { max: 200 }), text(cmd, 'session', { max: 200 }));
  if (!record) refuse(GONE_SESSION);
  return record;
}

function runIdentity(cmd) {
  return [text(cmd, 'provider', { max: 200 }), text(cmd, 'session', { max: 200 }), text(cmd, 'taskId', { max: 200 })];
}

function runFrom(cmd, state) {
  const run = state.findRun(...runIdentity(cmd));
  if (!run) refuse(GONE_RUN);
  return run;
}

// Newest first, a short rolling log.
function recordDecision(state, run, { summary, kind, result, reason }) {
  const entry = { action: { summary, ...(kind ? { kind } : {}) }, result, ...(reason ? { reason } : {}), at: state.nowIso() };
  const history = Array.isArray(run.decisionHistory) ? run.decisionHistory : [];
  run.decisionHistory = [entry, ...history].slice(0, 8);
}

module.exports = { sessionFrom, runFrom, runIdentity, recordDecision, GONE_SESSION, GONE_RUN };
