'use strict';

const { iso } = require('./time');
const { deriveStatus } = require('./derive');
const { object, sessionKey, runKey, clone } = require('./records');

const realTimers = { set: (fn, ms) => setTimeout(fn, ms), clear: (handle) => clearTimeout(handle) };

// Request ids come from the app for as long as the host runs: only the newest are remembered.
const REMEMBERED_REQUESTS = 512;
class RecentMap extends Map {
  constructor(limit) {
    super();
    this.limit = limit;
  }

  set(key, value) {
    this.delete(key);
    super.set(key, value);
    if (this.size > this.limit) this.delete(this.keys().next().value);
    return this;
  }
}

// The host's whole state: the snapshot the app reads, what the host keeps aside, and its pending timers.
class HostState {
  constructor({ scenario, clock = Date.now, timers = realTimers, stepMs = 1500, onChange = () => {} }) {
    this.status = scenario.status;
    this.taskDetails = scenario.taskDetails;
    this.analysisResults = new Map(Object.entries(scenario.analysisResults));
    this.account = scenario.account;
    this.updateOffer = scenario.updateOffer;
    this.live = scenario.live;
    this.clock = clock;
    this.timerApi = timers;
    this.stepMs = stepMs;
    this.onChange = onChange;
    this.pending = new Set();
    this.pipelines = new Map();
    this.appliedRequests = new RecentMap(REMEMBERED_REQUESTS);
    this.resumeStates = new Map();
    this.idCounter = 0;
    deriveStatus(this.status);
  }

  now() {
    return this.clock();
  }

  nowIso() {
    return iso(this.clock());
  }

  // Short, readable ids; long opaque runs would be masked by the app.
  newId(prefix) {
    this.idCounter += 1;
    return `${prefix}_${this.clock().toString(36).slice(-5)}${this.idCounter}`;
  }

  // Runs fn after `steps` host steps; every pending timer dies with the host.
  later(steps, fn) {
    const handle = this.timerApi.set(() => {
      this.pending.delete(handle);
      fn();
    }, Math.max(0, steps * this.stepMs));
    this.pending.add(handle);
    return handle;
  }

  stopTimers() {
    for (const handle of this.pending) this.timerApi.clear(handle);
    this.pending.clear();
  }

  changed() {
    deriveStatus(this.status);
    this.onChange();
  }

  snapshot() {
    return { ...clone(this.status), sampledAt: this.nowIso() };
  }

  sessions() {
    return this.status.sessionSupervision.sessions;
  }

  runs() {
    return this.status.deliveryHooks.runs;
  }

  findSession(provider, session) {
    return this.sessions().find((s) => s.provider === provider && s.session === session) || null;
  }

  findRun(provider, session, taskId) {
    return this.runs().find((r) => r.provider === provider && r.session === session && r.taskId === taskId) || null;
  }

  runForSession(record) {
    return this.runs().find((r) => r.provider === record.provider && r.session === record.session) || null;
  }

  // Session records and runs that share one conversation task carry the same association and deadline.
  linkedRecords(provider, session, taskId) {
    const key = runKey({ provider, session, taskId });
    return [...this.sessions(), ...this.runs()].filter((record) => runKey(record) === key);
  }

  setAnalysisResult(record, analysis) {
    this.analysisResults.set(sessionKey(record), clone(analysis));
  }

  analysisResultFor(record) {
    return clone(this.analysisResults.get(sessionKey(record)));
  }

  provider(name) {
    const providers = this.status.providers;
    providers[name] = object(providers[name]);
    return providers[name];
  }
}

module.exports = { HostState, REMEMBERED_REQUESTS };
