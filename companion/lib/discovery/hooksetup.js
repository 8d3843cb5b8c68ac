'use strict';

const fs = require('node:fs');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { applyHooks, installedState, relayCommand, hookFile, HookFileError } = require('./hookfiles');
const { readSmallFile } = require('./files');
const tools = require('./tools');
const { refuse } = require('../fields');

// The relay hooks as the user sees them: what "install_plugins" and "remove_plugins" write, what the hook
// buttons open, and each provider's hook state for the snapshot: "missing" (not installed), "prepared"
// (installed, no event seen since) or "observed" (an event arrived from this installation's relay).

const LABELS = { claude: 'Claude Code', codex: 'Codex' };
const REVIEW = {
  claude: 'Run /hooks in Claude Code to review them.',
  codex: 'Run /hooks in Codex and trust them there; Codex runs them only after that.',
};

// The launcher beside the bundled service (Contents/MacOS/vodu), or VODU_HOOK_RELAY when it is set.
function findLauncher(env, baseDir) {
  const candidate = env.VODU_HOOK_RELAY ? path.resolve(env.VODU_HOOK_RELAY) : path.join(baseDir, '..', '..', '..', 'MacOS', 'vodu');
  try {
    fs.accessSync(candidate, fs.constants.X_OK);
    return fs.statSync(candidate).isFile() ? candidate : null;
  } catch {
    return null;
  }
}

class HookSetup {
  constructor({ env, home, baseDir, roots, io = fs, log = () => {}, onChange = () => {} }) {
    Object.assign(this, { env, home, roots, io, log, onChange });
    this.launcher = findLauncher(env, baseDir);
    this.seenFile = path.join(home, 'run', 'hooks', 'seen.json');
    this.seen = this.readSeen();
    this.installed = {};
    this.refresh();
  }

  readSeen() {
    try {
      const seen = JSON.parse(readSmallFile(this.io, this.seenFile, 65536));
      return seen && typeof seen === 'object' ? seen : {};
    } catch {
      return {};
    }
  }

  command(provider) {
    return this.launcher ? relayCommand(this.launcher, provider, this.home) : null;
  }

  // Re-reads both hook files; true when a state changed.
  refresh() {
    let changed = false;
    for (const provider of ['claude', 'codex']) {
      const state = installedState(this.io, provider, this.roots, { launcher: this.launcher, home: this.home });
      if (state !== this.installed[provider]) changed = true;
      this.installed[provider] = state;
    }
    return changed;
  }

  // An event proves the installed relay runs; remembered across restarts for the command that sent it.
  observed(provider) {
    if (this.installed[provider] !== 'prepared' || this.seen[provider] === this.command(provider)) return;
    this.seen = { ...this.seen, [provider]: this.command(provider) };
    try {
      fs.mkdirSync(path.dirname(this.seenFile), { recursive: true, mode: 0o700 });
      fs.writeFileSync(this.seenFile, JSON.stringify(this.seen), { mode: 0o600 });
    } catch (error) {
      this.log(`could not remember the hooks seen: ${error.message}`);
    }
    this.onChange();
  }

  stateOf(provider) {
    const installed = this.installed[provider];
    if (installed !== 'prepared') return 'missing';
    return this.seen[provider] === this.command(provider) ? 'observed' : 'prepared';
  }

  // "deliveryHooks"."providers" and "pluginSetup" as they stand.
  snapshot() {
    const providers = {};
    for (const provider of ['codex', 'claude']) providers[provider] = { state: this.stateOf(provider) };
    const prepared = Object.values(providers).filter((p) => p.state !== 'missing');
    const pluginSetup = prepared.length === 0 ? { state: 'not_prepared' } : { state: 'ready', refreshPending: prepared.some((p) => p.state === 'prepared') };
    return { providers, pluginSetup };
  }

  // Providers whose folder exists: a provider not on this computer gets no file.
  present() {
    return ['claude', 'codex'].filter((provider) => this.io.existsSync(this.roots[provider]));
  }

  apply(install) {
    if (install && !this.launcher) throw new HookFileError('The hook relay ships with the installed app; this copy of the service has none.');
    const providers = this.present();
    if (providers.length === 0) throw new HookFileError('Neither Claude Code nor Codex was found on this computer.');
    const problems = [];
    for (const provider of providers) {
      try {
        applyHooks(this.io, provider, this.roots, { launcher: this.launcher, home: this.home, install });
      } catch (error) {
        if (!(error instanceof HookFileError)) throw error;
        problems.push(error.message);
      }
    }
    this.refresh();
    this.onChange();
    if (problems.length > 0) throw new HookFileError(problems.join(' '));
  }

  // Opens the folder of the provider's hook file in the desktop's file manager, or says where to look.
  open(provider) {
    const file = hookFile(provider, this.roots);
    const where = `${LABELS[provider]} reads VODU's hooks from ${file}. ${REVIEW[provider]}`;
    const opener = tools.findOnPath('xdg-open', this.env);
    const display = this.env.DISPLAY || this.env.WAYLAND_DISPLAY;
    if (!opener || !display || !this.io.existsSync(path.dirname(file))) throw new HookFileError(where);
    try {
      const child = spawn(opener, [path.dirname(file)], { stdio: 'ignore', detached: true, env: this.env });
      child.on('error', () => {});
      child.unref();
    } catch {
      throw new HookFileError(where);
    }
    return where;
  }
}

// The actions, answered with the user's message when a file is left alone.
function hookActions(setup) {
  const run = (work) => () => {
    if (!setup) refuse('Hooks cannot be set up without an installation home.');
    try {
      return work(setup);
    } catch (error) {
      if (error instanceof HookFileError) refuse(error.message);
      throw error;
    }
  };
  return {
    install_plugins: run((hooks) => {
      hooks.apply(true);
    }),
    remove_plugins: run((hooks) => {
      hooks.apply(false);
    }),
    codex_hooks: run((hooks) => ({ message: hooks.open('codex') })),
    claude_hooks: run((hooks) => ({ message: hooks.open('claude') })),
  };
}

module.exports = { HookSetup, hookActions, findLauncher };
