'use strict';

const { refuse, text, flag, integer, choice } = require('../fields');
const { object, isObject, clone } = require('../records');
const { OUTCOMES, startAnalysis, followAnalysis, analysing, turnRunning } = require('../analysis');
const { sessionFrom, runFrom, recordDecision } = require('./common');

// Conversation supervision: analysis, auto-continue, manual enrolment and clarification answers.

const POLICIES = ['autonomous', 'balanced', 'strict'];
const MANAGED_MODES = new Set(['managed', 'pending_takeover', 'standard_loop']);

// Limits are counted in user-perceived characters, as the app's form counts them.
const segmenter = typeof Intl.Segmenter === 'function' ? new Intl.Segmenter(undefined, { granularity: 'grapheme' }) : null;
function charCount(value) {
  return segmenter ? [...segmenter.segment(value)].length : [...value].length;
}

function readCriteria(cmd) {
  const list = cmd.acceptanceCriteria;
  if (!Array.isArray(list) || list.length < 1 || list.length > 20) refuse('Enter between 1 and 20 acceptance criteria.');
  const seen = new Set();
  return list.map((item, index) => {
    const position = index + 1;
    if (!isObject(item)) refuse(`Acceptance criterion ${position} is not valid.`);
    const id = typeof item.id === 'string' ? item.id.trim() : '';
    const description = typeof item.description === 'string' ? item.description.trim() : '';
    if (!id || id.length > 100 || seen.has(id)) refuse(`Acceptance criterion ${position} needs its own id.`);
    if (!description || charCount(description) > 500) refuse(`Acceptance criterion ${position} must have 1 to 500 characters.`);
    if (object(item.check).type !== 'manual') refuse(`Acceptance criterion ${position} must be checked manually.`);
    seen.add(id);
    return { id, description, check: { type: 'manual' } };
  });
}

function createRun(state, record, settings) {
  const analysis = object(record.analysis);
  const remaining = Array.isArray(analysis.remaining) ? analysis.remaining.filter((r) => typeof r === 'string') : [];
  const run = {
    provider: record.provider,
    session: record.session,
    taskId: settings.taskId,
    objective: settings.objective,
    managed: true,
    state: 'active',
    phase: 'understanding',
    capability: record.provider === 'claude' ? 'live_hook' : 'codex_app_server',
    autonomyPolicy: settings.policy,
    limits: settings.limits,
    acceptanceCriteria: settings.criteria,
    verification: { pending: settings.criteria.map((c) => c.id), results: {} },
    plan: {},
    decision: {},
    decisionHistory: [],
    sessionUnderstanding: {
      objective: settings.objective,
      ...(Array.isArray(analysis.basis) ? { basis: clone(analysis.basis) } : {}),
      done: [],
      remaining,
      nextAction: { summary: 'Read the conversation to find a safe next step.' },
    },
  };
  for (const key of ['originalSessionTarget', 'actionAssociation', 'actionDeadline']) {
    if (isObject(record[key])) run[key] = clone(record[key]);
  }
  recordDecision(state, run, { summary: 'Supervision started with a manual goal', result: 'started', reason: `${settings.criteria.length} acceptance criteria` });
  return run;
}

const handlers = {
  session_analyze: (cmd, { state }) => {
    const record = sessionFrom(cmd, state);
    if (object(record.capabilities).canAnalyze !== true) refuse('Analysis is not available for this conversation.');
    if (turnRunning(record)) refuse('This conversation is still running. It is analysed when the turn finishes.');
    if (analysing(record)) state.changed();
    else startAnalysis(state, record);
  },

  session_set_auto_continue: (cmd, { state }) => {
    const record = sessionFrom(cmd, state);
    const enabled = flag(cmd, 'enabled');
    if (enabled === (record.autoContinue === true)) return state.changed();
    if (!enabled) {
      record.autoContinue = false;
      delete record.autoContinueStatus;
      delete record.autoContinueReason;
      return state.changed();
    }
    const caps = object(record.capabilities);
    const allowed = typeof caps.canAutoContinue === 'boolean' ? caps.canAutoContinue : caps.canContinue === true;
    if (!allowed) refuse('Auto-continue is not available for this conversation.');
    record.autoContinue = true;
    delete record.autoContinueReason;
    if (turnRunning(record)) {
      record.autoContinueStatus = 'waiting';
    } else if (OUTCOMES.has(object(record.analysis).state)) {
      record.autoContinueStatus = 'watching';
      state.later(1, () => {
        if (record.autoContinue !== true || turnRunning(record) || !OUTCOMES.has(object(record.analysis).state)) return;
        followAnalysis(record);
        state.changed();
      });
    } else if (!analysing(record)) {
      return startAnalysis(state, record);
    } else {
      record.autoContinueStatus = 'watching';
    }
    return state.changed();
  },

  session_enroll: (cmd, { state }) => {
    const record = sessionFrom(cmd, state);
    const policy = choice(cmd, 'autonomyPolicy', POLICIES);
    const limits = {
      maxMinutes: integer(cmd, 'maxMinutes', 1, 1440),
      maxContinuations: integer(cmd, 'maxContinuations', 1, 100),
      maxFailures: integer(cmd, 'maxFailures', 1, 50),
    };
    const objective = text(cmd, 'objective', { max: 20000 }).trim();
    if (charCount(objective) > 2000) refuse('The goal must be at most 2000 characters.');
    const criteria = readCriteria(cmd);
    if (object(record.capabilities).canEnroll !== true) refuse('A manual goal cannot be set for this conversation.');
    if (MANAGED_MODES.has(object(record.binding).mode)) refuse('VODU already supervises this conversation.');
    if (turnRunning(record)) refuse('This conversation is still running. Set the goal when the turn finishes.');
    const taskId = typeof record.taskId === 'string' && record.taskId ? record.taskId : state.newId('task');
    const run = createRun(state, record, { taskId, objective, policy, limits, criteria });
    state.runs().unshift(run);
    Object.assign(record, {
      taskId,
      binding: { mode: 'managed', taskId },
      capabilities: { canAnalyze: false, canAutoContinue: false, canEnroll: false },
      autoContinue: false,
    });
    delete record.autoContinueStatus;
    delete record.autoContinueReason;
    state.changed();
    state.later(2, () => {
      if (run.phase !== 'understanding') return;
      delete run.phase;
      run.nextStep = run.sessionUnderstanding.remaining[0] || `Work toward: ${criteria[0].description}`;
      run.sessionUnderstanding.nextAction = { summary: run.nextStep };
      state.changed();
    });
  },

  session_answer: (cmd, { state }) => {
    const run = runFrom(cmd, state);
    const questionId = text(cmd, 'questionId', { max: 200 });
    const answer = text(cmd, 'answer', { max: 20000 }).trim();
    if (charCount(answer) > 2000) refuse('The answer must be at most 2000 characters.');
    if (run.phase !== 'needs_clarification' || object(run.understandingQuestion).id !== questionId) {
      refuse('This question was already answered or replaced. Refresh to see the latest.');
    }
    if (run.canAnswer !== true) refuse('This run cannot take an answer right now.');
    delete run.understandingQuestion;
    run.phase = 'understanding';
    const understanding = object(run.sessionUnderstanding);
    delete understanding.question;
    run.sessionUnderstanding = understanding;
    recordDecision(state, run, { summary: 'Clarification answered', result: 'answered', reason: answer.slice(0, 180) });
    state.changed();
    state.later(2, () => {
      if (run.phase !== 'understanding') return;
      delete run.phase;
      if (run.state === 'blocked') run.state = 'active';
      run.nextStep = 'Continue with the approach your answer settled.';
      understanding.nextAction = { summary: run.nextStep };
      state.changed();
    });
  },
};

module.exports = { handlers, charCount, POLICIES };
