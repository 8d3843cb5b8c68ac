'use strict';

// Whether the host reports discovered conversations: decided at start-up before anything of discovery itself is
// loaded, so a host that plays a scenario never pays for it.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const SETTINGS = new Set(['auto', 'on', 'off']);

function homeOf(env) {
  return env.HOME ? path.resolve(env.HOME) : os.homedir();
}

// The providers' own folders, as each provider finds them.
function providerRoots(env, home = homeOf(env)) {
  return [
    env.CODEX_HOME ? path.resolve(env.CODEX_HOME) : path.join(home, '.codex'),
    env.CLAUDE_CONFIG_DIR ? path.resolve(env.CLAUDE_CONFIG_DIR) : path.join(home, '.claude'),
  ];
}

// Never when a scenario is named; "off" and "on" as set; otherwise when either provider's folder exists.
function discoveryWanted(env, log = () => {}, io = fs) {
  let setting = String(env.VODU_HOST_DISCOVERY || 'auto').trim().toLowerCase();
  if (!SETTINGS.has(setting)) {
    log(`ignored VODU_HOST_DISCOVERY=${env.VODU_HOST_DISCOVERY}: expected auto, on or off`);
    setting = 'auto';
  }
  if (env.VODU_HOST_SCENARIO || setting === 'off') return false;
  if (setting === 'on') return true;
  return providerRoots(env).some((root) => io.existsSync(root));
}

module.exports = { discoveryWanted, homeOf, providerRoots };
