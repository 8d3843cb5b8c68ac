'use strict';

const { refuse } = require('../fields');
const { object } = require('../records');

// Sign-in, connection, provider tools, plug-in files, updates and quitting.

const UPDATE_BUSY = new Set(['checking', 'downloading', 'installing', 'updating', 'restarting']);
const UPDATE_AVAILABLE = new Set(['available', 'ready', 'downloaded', 'update_available', 'waiting_for_idle']);

function connect(state) {
  const connection = state.status.connection;
  connection.state = 'connecting';
  delete connection.error;
  state.changed();
  state.later(1, () => {
    const signedIn = state.status.auth.state === 'signed_in';
    connection.state = signedIn ? 'online' : 'unauthorized';
    if (signedIn) connection.lastSuccessAt = state.nowIso();
    state.changed();
  });
}

function providerLogin(name, label) {
  return (cmd, { state }) => {
    const provider = state.provider(name);
    if (provider.state === 'missing') refuse(`${label} is not installed on this computer.`);
    if (provider.state === 'outdated') refuse(`Update ${label} first, then sign in again.`);
    provider.state = 'ready';
    state.changed();
  };
}

// Writes the plug-in files: "installing", then "ready". Updated files only take effect once each provider
// reloads the plug-in, hence "refreshPending" after an update.
function prepareFiles(state, onReady = () => {}) {
  const setup = state.status.pluginSetup;
  const wasReady = setup.state === 'ready';
  setup.state = 'installing';
  delete setup.refreshPending;
  state.changed();
  state.later(2, () => {
    setup.state = 'ready';
    setup.refreshPending = wasReady;
    state.changed();
    onReady();
  });
}

// Hooks need the plug-in files; once the user allows them in the provider they are seen running.
function openHooks(name) {
  return (cmd, { state }) => {
    const hooks = state.status.deliveryHooks.providers;
    if (object(hooks[name]).state === 'observed') return;
    const observe = () => state.later(2, () => {
      hooks[name] = { ...object(hooks[name]), state: 'observed' };
      state.changed();
    });
    const setup = state.status.pluginSetup.state;
    if (setup === 'ready') observe();
    else if (setup !== 'installing') prepareFiles(state, observe);
  };
}

function offeredVersion(update) {
  return [update.target_version, update.latestVersion, update.version].find((v) => typeof v === 'string');
}

const handlers = {
  refresh: (cmd, { state }) => state.changed(),

  reconnect: (cmd, { state }) => {
    if (state.status.connection.state !== 'connecting') connect(state);
  },

  login: (cmd, { state }) => {
    const auth = state.status.auth;
    if (auth.state !== 'signed_in') {
      auth.state = 'signed_in';
      if (typeof state.account.userLabel === 'string') auth.userLabel = state.account.userLabel;
    }
    if (state.status.connection.state === 'online') state.changed();
    else connect(state);
  },

  codex_login: providerLogin('codex', 'Codex'),
  claude_login: providerLogin('claude', 'Claude Code'),
  codex_hooks: openHooks('codex'),
  claude_hooks: openHooks('claude'),

  install_plugins: (cmd, { state }) => {
    if (state.status.pluginSetup.state === 'installing') refuse('Plugin files are already being prepared.');
    prepareFiles(state);
  },

  // The plug-in files and hooks are gone until prepared again.
  remove_plugins: (cmd, { state }) => {
    if (state.status.pluginSetup.state === 'installing') refuse('Plugin files are being prepared; try again in a moment.');
    state.status.pluginSetup = {};
    const hooks = state.status.deliveryHooks.providers;
    for (const name of ['codex', 'claude']) hooks[name] = { ...object(hooks[name]), state: 'missing' };
    state.changed();
  },

  check_update: (cmd, { state }) => {
    if (UPDATE_BUSY.has(object(state.status.update).state)) refuse('An update is already in progress.');
    state.status.update = { state: 'checking' };
    state.changed();
    state.later(2, () => {
      const offer = state.updateOffer;
      state.status.update = offer && typeof offer.version === 'string'
        ? { state: 'available', available: true, latestVersion: offer.version, checkedAt: state.nowIso() }
        : { state: 'up_to_date', available: false, checkedAt: state.nowIso() };
      state.changed();
    });
  },

  update: (cmd, { state }) => {
    const update = object(state.status.update);
    if (UPDATE_BUSY.has(update.state)) refuse('An update is already in progress.');
    if (update.available !== true && !UPDATE_AVAILABLE.has(update.state)) refuse('No update is available. Check for updates first.');
    const version = offeredVersion(update);
    const stage = (name, extra = {}) => {
      state.status.update = { state: name, available: true, ...(version ? { latestVersion: version } : {}), ...extra };
      state.changed();
    };
    stage('downloading');
    state.later(2, () => stage('installing'));
    state.later(4, () => {
      state.updateOffer = null;
      const which = version ? `Version ${version}` : 'The update';
      stage('installed', { available: false, message: `${which} is installed and opens the next time VODU starts.` });
    });
  },

  quit: (cmd, { state, faults, shutdown }) => {
    if (faults.refuseQuit) refuse('The service declined to quit.');
    const active = state.status.tasks.activeCount;
    if (active > 0 && cmd.force !== true) {
      refuse(`${active} task(s) still running. Confirm quitting to interrupt them.`);
    }
    return { then: () => shutdown(0) };
  },
};

module.exports = { handlers, connect };
