'use strict';

const { sessionKey } = require('./records');

// Analysis of a conversation's latest finished turn: queued, then analyzing, then an outcome.

const OUTCOMES = new Set(['continue', 'no_action', 'needs_user', 'waiting', 'uncertain', 'failed']);
const AUTO_CONTINUE_STATUS = {
  continue: 'supervising', no_action: 'finished', needs_user: 'needs_user', waiting: 'waiting', uncertain: 'error', failed: 'error',
};

function fallbackOutcome(record) {
  return {
    state: 'continue',
    reason: 'The latest turn stopped before its work was finished.',
    nextAction: 'Pick up from the last step the conversation reported.',
    ...(typeof record.title === 'string' ? { objective: record.title } : {}),
    remaining: ['Finish the step the conversation stopped at', 'Run the project checks again'],
  };
}

function followAnalysis(record) {
  if (record.autoContinue !== true) return;
  record.autoContinueStatus = AUTO_CONTINUE_STATUS[record.analysis.state] || 'watching';
  delete record.autoContinueReason;
}

function finishAnalysis(state, record) {
  record.analysis = state.analysisResultFor(record) || fallbackOutcome(record);
  followAnalysis(record);
  state.changed();
}

// `from` lets a scenario that starts mid-analysis carry on where it stands.
function startAnalysis(state, record, from = 'queued') {
  const key = sessionKey(record);
  const token = Symbol(key);
  state.pipelines.set(key, token);
  const current = () => state.pipelines.get(key) === token && state.sessions().includes(record);
  record.analysis = { state: from };
  if (record.autoContinue === true) record.autoContinueStatus = 'watching';
  state.changed();
  const finish = () => {
    if (!current()) return;
    state.pipelines.delete(key);
    finishAnalysis(state, record);
  };
  if (from === 'analyzing') {
    state.later(2, finish);
    return;
  }
  state.later(1, () => {
    if (!current()) return;
    record.analysis = { state: 'analyzing' };
    state.changed();
    state.later(2, finish);
  });
}

function analysing(record) {
  const current = record.analysis && record.analysis.state;
  return current === 'queued' || current === 'analyzing';
}

function turnRunning(record) {
  return record.isRunning === true || (record.analysis && record.analysis.awaitingTurn === true);
}

module.exports = { OUTCOMES, startAnalysis, followAnalysis, analysing, turnRunning };
