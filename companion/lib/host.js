'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { parseFaults } = require('./faults');
const { MAX_FRAME_BYTES, FrameWriter, LineReader } = require('./framing');
const { acquireLock } = require('./lock');
const { loadScenario, normaliseScenario } = require('./scenario');
const { checkSnapshot } = require('./shape');
const { HostState } = require('./state');
const { startLive } = require('./live');
const { createDispatcher, buildRegistry } = require('./commands');
const { refuse } = require('./fields');
const { discoveryWanted } = require('./discovery/wanted');

// With discovered conversations the host reports only what is real on this computer; the scenario's
// simulated sign-in, provider, plug-in and update flows would invent state, so they are declined.
const SIMULATED = ['reconnect', 'login', 'codex_login', 'claude_login', 'codex_hooks', 'claude_hooks', 'install_plugins', 'check_update', 'update'];
const NOT_HERE = 'Not available here: this service only lists the conversations found on this computer.';

// The actions are loaded with the first command, after the first status is out.
let loadedRegistry = null;
function actionRegistry(discovering, discovery) {
  if (!loadedRegistry) {
    const registry = require('./actions');
    loadedRegistry = discovering
      ? buildRegistry(registry, Object.fromEntries(SIMULATED.map((name) => [name, () => refuse(NOT_HERE)])), discovery ? discovery.actions() : {})
      : registry;
  }
  return loadedRegistry;
}

function envMs(env, name, fallback, min, log) {
  const raw = env[name];
  if (raw === undefined || raw === '') return fallback;
  const value = Number(raw);
  if (/^\d+$/.test(raw) && value >= min && value <= 3600000) return value;
  log(`ignored ${name}=${raw}: expected whole milliseconds from ${min} to 3600000`);
  return fallback;
}

// In the app bundle this script sits in Contents/Resources/cli/src, three levels below Contents/Info.json.
function bundleVersion(baseDir) {
  try {
    const info = JSON.parse(fs.readFileSync(path.join(baseDir, '..', '..', '..', 'Info.json'), 'utf8'));
    return typeof info.CFBundleShortVersionString === 'string' ? info.CFBundleShortVersionString : undefined;
  } catch {
    return undefined;
  }
}

// Discovery starts from an empty state: no account, tasks or runs that are not real.
function loadStatusSource(env, baseDir, now, log, writer, discovering) {
  const file = env.VODU_HOST_SCENARIO ? path.resolve(env.VODU_HOST_SCENARIO) : path.join(baseDir, 'scenarios', 'demo.json');
  let scenario;
  try {
    scenario = discovering ? normaliseScenario({}, now) : loadScenario(file, now);
  } catch (error) {
    log(`could not load scenario ${file}: ${error.message}`);
    writer.write({ type: 'error', message: 'The service data could not be loaded. Check the scenario file.' });
    scenario = normaliseScenario({}, now);
  }
  for (const problem of checkSnapshot(scenario.status)) log(`scenario: ${problem}`);
  if (typeof scenario.status.version !== 'string') {
    const version = bundleVersion(baseDir);
    if (version) scenario.status.version = version;
  }
  const origin = env.VODU_WEB_ORIGIN || env.VODU_API_ORIGIN;
  if (origin) scenario.status.webOrigin = origin;
  return scenario;
}

function applyDiscovery(status, { sessions, providers, versions, hooks }) {
  status.sessionSupervision.sessions = sessions;
  status.sessionSupervision.providers = providers;
  status.providers = { ...versions };
  if (hooks) {
    status.deliveryHooks.providers = hooks.providers;
    status.pluginSetup = hooks.pluginSetup;
  }
}

function runHost({ env, entryPath, baseDir, stdin, stdout, stderr, exit }) {
  const log = (message) => stderr.write(`desktop-host: ${message}\n`);
  const faults = parseFaults(env.VODU_HOST_FAULT);
  faults.problems.forEach(log);
  const heartbeatMs = envMs(env, 'VODU_HOST_HEARTBEAT_MS', 5000, 10, log);
  const stepMs = envMs(env, 'VODU_HOST_STEP_MS', 1200, 0, log);
  const tickMs = envMs(env, 'VODU_HOST_TICK_MS', 6000, 0, log);

  let closing = false;
  let lock = null;
  let state = null;
  let heartbeat = null;
  let stopLive = () => {};
  let discovery = null;
  const slowReplies = new Set();

  const writer = new FrameWriter(stdout, { faults, log, onCrash: () => finish(1) });

  // Stops everything, frees the lock, and exits once stdout has taken every frame.
  function finish(code) {
    if (closing) return;
    closing = true;
    writer.closed = true;
    clearTimeout(heartbeat);
    for (const handle of slowReplies) clearTimeout(handle);
    stopLive();
    if (discovery) discovery.stop();
    if (state) state.stopTimers();
    if (lock) lock.release();
    stdin.pause();
    const done = () => exit(code);
    setTimeout(done, 5000).unref();
    stdout.write('', done);
  }

  stdout.on('error', () => {
    if (lock) lock.release();
    exit(0);
  });

  const home = env.VODU_HOME ? path.resolve(env.VODU_HOME) : path.join(os.homedir(), '.vodu');
  try {
    const taken = acquireLock(home, entryPath);
    if (taken.conflict) {
      log(`another host (pid ${taken.conflict.pid}) holds ${home}`);
      writer.write({
        type: 'error', code: 'process_conflict', message: 'Another VODU service is already running for this installation.', conflicts: [taken.conflict],
      });
      finish(2);
      return { finish };
    }
    lock = taken;
    process.once('exit', () => lock.release());
  } catch (error) {
    log(`running without the installation lock: ${error.message}`);
  }

  const discovering = discoveryWanted(env, log);
  const scenario = loadStatusSource(env, baseDir, Date.now(), log, writer, discovering);

  let statusQueued = false;
  let statusText = null; // the status as last serialised, without its time: a heartbeat only adds the time
  function emitStatus() {
    clearTimeout(heartbeat);
    if (closing || faults.silent) return;
    if (statusText === null) {
      const { sampledAt, ...rest } = state.snapshot();
      statusText = JSON.stringify(rest);
    }
    const time = `"sampledAt":${JSON.stringify(state.nowIso())}}`;
    writer.writeLine(`{"type":"status","status":${statusText.length > 2 ? `${statusText.slice(0, -1)},${time}` : `{${time}`}}`, 'status');
    heartbeat = setTimeout(emitStatus, heartbeatMs);
  }
  function scheduleStatus() {
    statusText = null;
    if (statusQueued) return;
    statusQueued = true;
    setImmediate(() => {
      statusQueued = false;
      emitStatus();
    });
  }

  state = new HostState({ scenario, stepMs, onChange: scheduleStatus });
  if (discovering) {
    const { Discovery } = require('./discovery');
    discovery = new Discovery({
      env,
      log,
      voduHome: lock ? home : null,
      baseDir,
      onChange: (found) => {
        applyDiscovery(state.status, found);
        state.changed();
      },
    });
    try {
      applyDiscovery(state.status, discovery.start());
    } catch (error) {
      log(`discovery could not start: ${error && error.stack ? error.stack : error}`);
    }
  }

  function reply(id, ok, message, then) {
    if (faults.noResults) return;
    const send = () => {
      if (closing) return;
      writer.write({ type: 'result', id, ok, ...(typeof message === 'string' && message ? { message } : {}) });
      if (then) then();
    };
    if (faults.slowResultsMs === 0) return send();
    const handle = setTimeout(() => {
      slowReplies.delete(handle);
      send();
    }, faults.slowResultsMs);
    slowReplies.add(handle);
    return undefined;
  }

  const context = {
    state,
    faults,
    shutdown: finish,
    sendTaskDetail: (taskKey, task) => writer.write({ type: 'task_detail', taskKey, task }),
  };
  const handleLine = createDispatcher({ registry: () => actionRegistry(discovering, discovery), context, reply, log });
  const reader = new LineReader(MAX_FRAME_BYTES, (line) => {
    if (!closing) handleLine(line);
  }, () => log('skipped an input line over the size cap'));

  stdin.on('data', (chunk) => reader.push(chunk));
  stdin.on('end', () => {
    reader.end();
    finish(0);
  });
  stdin.on('error', () => finish(0));

  if (faults.oversizedLine) writer.writeOversized();
  emitStatus();
  if (!discovering) stopLive = startLive(state, tickMs);
  return { finish };
}

module.exports = { runHost };
