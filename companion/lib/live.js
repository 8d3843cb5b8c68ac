'use strict';

const { startAnalysis } = require('./analysis');
const { object, isObject, clone, runKey } = require('./records');
const { recordDecision } = require('./actions/common');

// Keeps the service visibly alive between commands: conversation turns start and finish (and are analysed
// again), an active run works through its steps, and one-shot scenario events land on their tick.

function count(value, fallback) {
  return Number.isSafeInteger(value) && value > 0 ? value : fallback;
}

function cycleTurn(state, cycle, tick) {
  const record = state.findSession(cycle.provider, cycle.session);
  if (!record) return;
  const idle = count(cycle.idleTicks, 3);
  const busy = count(cycle.runTicks, 2);
  const running = (tick + count(cycle.offset, 0)) % (idle + busy) >= idle;
  if (running === (record.isRunning === true)) return;
  record.isRunning = running;
  if (running) {
    if (record.autoContinue === true) record.autoContinueStatus = 'waiting';
    state.changed();
  } else {
    startAnalysis(state, record);
  }
}

function applyStep(state, run, step) {
  if (typeof step.nextStep === 'string') run.nextStep = step.nextStep;
  if (isObject(run.sessionUnderstanding)) {
    const understanding = run.sessionUnderstanding;
    const done = Array.isArray(understanding.done) ? understanding.done : [];
    if (typeof step.done === 'string') understanding.done = [...done, step.done].slice(-4);
    if (Array.isArray(step.remaining)) understanding.remaining = [...step.remaining];
    if (typeof step.nextStep === 'string') understanding.nextAction = { summary: step.nextStep };
  }
  if (isObject(step.decision)) {
    recordDecision(state, run, step.decision);
    const { summary, result, reason } = step.decision;
    run.decision = { action: { summary }, outcome: result, ...(reason ? { reason } : {}), policy: run.autonomyPolicy, at: state.nowIso() };
  }
}

function findTarget(state, event) {
  if (typeof event.task === 'string') return state.status.tasks.items.find((t) => t.key === event.task);
  if (typeof event.session === 'string') return state.sessions().find((s) => `${s.provider}|${s.session}` === event.session);
  if (typeof event.run === 'string') return state.runs().find((r) => runKey(r) === event.run);
  return undefined;
}

function startLive(state, tickMs) {
  for (const record of state.sessions()) {
    const current = object(record.analysis).state;
    if (current === 'queued' || current === 'analyzing') startAnalysis(state, record, current);
  }
  if (!(tickMs > 0)) return () => {};
  const positions = new Map();
  let tick = 0;
  const timer = setInterval(() => {
    tick += 1;
    const connection = state.status.connection;
    if (connection.state === 'online') connection.lastSuccessAt = state.nowIso();
    for (const cycle of state.live.turnCycles) cycleTurn(state, cycle, tick);
    for (const progress of state.live.runProgress) {
      const run = state.findRun(progress.provider, progress.session, progress.taskId);
      const steps = Array.isArray(progress.steps) ? progress.steps.filter(isObject) : [];
      if (tick % count(progress.everyTicks, 2) !== 0 || !run || run.state !== 'active' || run.phase || steps.length === 0) continue;
      const position = positions.get(progress) || 0;
      if (position >= steps.length && progress.loop !== true) continue;
      positions.set(progress, position + 1);
      applyStep(state, run, steps[position % steps.length]);
    }
    for (const event of state.live.timeline.filter((e) => e.atTick === tick)) {
      const target = findTarget(state, event);
      if (target && isObject(event.set)) Object.assign(target, clone(event.set));
      if (typeof event.task === 'string' && isObject(event.detail)) {
        const current = Object.hasOwn(state.taskDetails, event.task) ? state.taskDetails[event.task] : {};
        state.taskDetails[event.task] = { ...current, ...clone(event.detail) };
      }
    }
    state.changed();
  }, tickMs);
  return () => clearInterval(timer);
}

module.exports = { startLive };
