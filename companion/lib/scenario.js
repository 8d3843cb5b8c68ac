'use strict';

const fs = require('node:fs');
const { resolveTimes } = require('./time');
const { isObject, object } = require('./records');

// A scenario is the whole starting state of the host: the status snapshot plus what the host keeps aside
// (task details, analysis outcomes, the update on offer, the account to sign in, the live timeline).

function objects(value) {
  return Array.isArray(value) ? value.filter(isObject) : [];
}

function objectMap(value) {
  const out = Object.create(null);
  for (const [key, item] of Object.entries(object(value))) if (isObject(item)) out[key] = item;
  return out;
}

function normaliseStatus(raw) {
  const status = { ...object(raw) };
  for (const key of ['pluginSetup', 'auth', 'connection', 'providers']) status[key] = object(status[key]);
  const supervision = object(status.sessionSupervision);
  status.sessionSupervision = { ...supervision, providers: object(supervision.providers), sessions: objects(supervision.sessions) };
  const hooks = object(status.deliveryHooks);
  status.deliveryHooks = { ...hooks, providers: object(hooks.providers), runs: objects(hooks.runs) };
  status.tasks = { ...object(status.tasks), items: objects(object(status.tasks).items) };
  if (!isObject(status.update)) delete status.update;
  delete status.sampledAt;
  return status;
}

function normaliseLive(raw) {
  const live = object(raw);
  return {
    turnCycles: objects(live.turnCycles),
    runProgress: objects(live.runProgress),
    timeline: objects(live.timeline),
  };
}

function normaliseScenario(raw, nowMs) {
  const data = resolveTimes(object(raw), nowMs);
  return {
    status: normaliseStatus(data.status),
    taskDetails: objectMap(data.taskDetails),
    analysisResults: objectMap(data.analysisResults),
    account: object(data.account),
    updateOffer: isObject(data.updateOffer) ? data.updateOffer : null,
    live: normaliseLive(data.live),
  };
}

function loadScenario(file, nowMs) {
  const raw = JSON.parse(fs.readFileSync(file, 'utf8'));
  if (!isObject(raw)) throw new Error('the scenario must be a JSON object');
  return normaliseScenario(raw, nowMs);
}

module.exports = { loadScenario, normaliseScenario };
