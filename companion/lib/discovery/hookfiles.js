'use strict';

const path = require('node:path');
const { readSmallFile } = require('./files');

// The relay's entries in each provider's own hook file: Claude Code's settings.json (shared with the user's
// other settings) and Codex's hooks.json. The user's file is read whole, every key and entry not ours is kept,
// ours are appended (Codex keeps its trust per exact entry, so existing ones are never rewritten), and the file
// is replaced atomically with a backup of the previous one beside it. Nothing is written when nothing changes.

const MAX_FILE_BYTES = 4 * 1024 * 1024;
const RELAY_MARK = ' --hook-relay ';

// Event, and the matcher when only some tools matter. Waits for the user, turn start and end, conversation
// start and end; tool-use events only to see a question or plan begin and a waiting tool finish.
const EVENTS = {
  claude: [
    ['UserPromptSubmit'], ['Stop'], ['StopFailure'], ['PermissionRequest'], ['Notification'],
    ['PreToolUse', 'AskUserQuestion|ExitPlanMode'], ['PostToolUse'], ['SessionStart'], ['SessionEnd'],
  ],
  codex: [['UserPromptSubmit'], ['Stop'], ['PermissionRequest'], ['PreToolUse', 'request_user_input'], ['PostToolUse'], ['SessionStart'], ['SessionEnd']],
};

// Keys Codex accepts at the root of hooks.json; any other makes it refuse the whole file.
const CODEX_ROOT_KEYS = new Set(['hooks', 'description']);

const isObject = (value) => Boolean(value) && typeof value === 'object' && !Array.isArray(value);
const quote = (text) => `'${text.replace(/'/g, "'\\''")}'`;

function hookFile(provider, roots) {
  return provider === 'claude' ? path.join(roots.claude, 'settings.json') : path.join(roots.codex, 'hooks.json');
}

// The shell command a provider runs. It checks that the launcher is still there, so an app moved or removed
// costs no hook error, and always exits 0 without output.
function relayCommand(launcher, provider, home) {
  return `test -x ${quote(launcher)} && ${quote(launcher)}${RELAY_MARK}${provider} ${quote(home)} 2>/dev/null; exit 0`;
}

const isRelay = (handler) => isObject(handler) && typeof handler.command === 'string' && handler.command.includes(RELAY_MARK)
  && handler.command.includes('/Contents/MacOS/vodu');

class HookFileError extends Error {}

// The file's JSON (an empty object when it does not exist) and how it was laid out.
function readHookFile(io, file) {
  let exists = true;
  try {
    io.lstatSync(file);
  } catch (error) {
    if (error.code !== 'ENOENT') throw new HookFileError(`${file} cannot be read.`);
    exists = false;
  }
  if (!exists) return { exists, text: null, data: {}, indent: 2 };
  const text = readSmallFile(io, file, MAX_FILE_BYTES);
  if (text === null) throw new HookFileError(`${file} cannot be read as a file.`);
  let data;
  try {
    data = text.trim() === '' ? {} : JSON.parse(text.replace(/^\ufeff/, ''));
  } catch {
    throw new HookFileError(`${file} is not valid JSON; VODU left it unchanged. Fix it, then try again.`);
  }
  if (!isObject(data)) throw new HookFileError(`${file} does not hold a JSON object; VODU left it unchanged.`);
  const indent = (/\n([ \t]+)"/.exec(text) || [])[1] || 2;
  return { exists, text, data, indent };
}

function checkShape(provider, file, data) {
  if (provider === 'codex') {
    const unknown = Object.keys(data).filter((key) => !CODEX_ROOT_KEYS.has(key));
    if (unknown.length > 0) {
      throw new HookFileError(`Codex would refuse ${file} as it stands (unknown key "${unknown[0].slice(0, 40)}"); VODU left it unchanged.`);
    }
  }
  if (data.hooks === undefined) return;
  const bad = !isObject(data.hooks) || Object.values(data.hooks).some((groups) => !Array.isArray(groups)
    || groups.some((group) => !isObject(group) || (group.hooks !== undefined && !Array.isArray(group.hooks))));
  if (bad) throw new HookFileError(`The "hooks" in ${file} are not in the expected shape; VODU left the file unchanged.`);
}

// Removes every relay handler except those `keep` accepts; groups and events emptied by it go too.
function dropRelays(hooks, keep = () => false) {
  let changed = false;
  for (const event of Object.keys(hooks)) {
    const groups = hooks[event];
    for (let g = groups.length - 1; g >= 0; g -= 1) {
      const handlers = groups[g].hooks || [];
      const kept = handlers.filter((handler) => !isRelay(handler) || keep(event, groups[g], handler));
      if (kept.length === handlers.length) continue;
      changed = true;
      if (kept.length === 0) groups.splice(g, 1);
      else groups[g].hooks = kept;
    }
    if (groups.length === 0 && changed) delete hooks[event];
  }
  return changed;
}

// Where the root object's "hooks" value stands in the text ([start, end)), where the root closes, and whether
// the root has other members; the text is already known to be valid JSON.
function hooksSpan(text) {
  let i = text.indexOf('{') + 1;
  let members = 0;
  let span = null;
  const skipString = (at) => {
    let j = at + 1;
    while (text[j] !== '"') j += text[j] === '\\' ? 2 : 1;
    return j + 1;
  };
  const skipValue = (at) => {
    if (text[at] === '"') return skipString(at);
    let depth = 0;
    let j = at;
    for (; j < text.length; j += 1) {
      const ch = text[j];
      if (ch === '"') j = skipString(j) - 1;
      else if (ch === '{' || ch === '[') depth += 1;
      else if (ch === '}' || ch === ']') {
        if (depth === 0) break;
        depth -= 1;
        if (depth === 0) return j + 1;
      } else if (depth === 0 && ch === ',') break;
    }
    return j;
  };
  const space = (at) => {
    let j = at;
    while (/\s/.test(text[j] || '')) j += 1;
    return j;
  };
  for (i = space(i); text[i] === '"'; i = space(i)) {
    const keyEnd = skipString(i);
    const key = JSON.parse(text.slice(i, keyEnd));
    const start = space(space(keyEnd) + 1);
    const end = skipValue(start);
    members += 1;
    if (key === 'hooks') span = [start, end];
    i = space(end);
    if (text[i] === ',') i += 1;
  }
  return { span, close: i, members };
}

// The new text: the file as it was with only the "hooks" value written anew (or added, or taken out), so the
// user's other settings keep their layout.
function spliced(text, next, indent) {
  const unit = typeof indent === 'number' ? ' '.repeat(indent) : indent;
  const value = next.hooks === undefined ? undefined : JSON.stringify(next.hooks, null, unit).replace(/\n/g, `\n${unit}`);
  const { span, close, members } = hooksSpan(text);
  if (span && value !== undefined) return text.slice(0, span[0]) + value + text.slice(span[1]);
  if (span && members === 1) return `{}${text.endsWith('\n') ? '\n' : ''}`;
  if (span) {
    // Take out the member with the separator on one side of it.
    const keyStart = text.lastIndexOf('"hooks"', span[0]);
    const after = /^\s*,/.exec(text.slice(span[1]));
    if (after) return text.slice(0, keyStart) + text.slice(span[1] + after[0].length).replace(/^\s*/, '');
    const before = text.slice(0, keyStart).replace(/,\s*$/, '');
    return before + text.slice(span[1]);
  }
  if (value === undefined) return text;
  const head = text.slice(0, close).replace(/\s*$/, '');
  return `${head}${members > 0 ? ',' : ''}\n${unit}"hooks": ${value}\n${text.slice(close)}`;
}

function handlerFor(provider, command) {
  return provider === 'claude' ? { type: 'command', command, timeout: 5 } : { type: 'command', command };
}

// The merged document, and whether it differs from the file. `install` false removes the relay's entries.
function merge(provider, data, command, install) {
  const next = JSON.parse(JSON.stringify(data));
  const hadHooks = isObject(next.hooks);
  const hooks = hadHooks ? next.hooks : {};
  const wanted = new Map(EVENTS[provider].map(([event, matcher = '']) => [event, matcher]));
  const current = (event, group, handler) => install && handler.command === command && wanted.get(event) === (group.matcher || '');
  let changed = dropRelays(hooks, current);
  if (install) {
    for (const [event, matcher] of wanted) {
      const groups = hooks[event] || (hooks[event] = []);
      if (groups.some((group) => (group.hooks || []).some((handler) => current(event, group, handler)))) continue;
      groups.push({ matcher, hooks: [handlerFor(provider, command)] });
      changed = true;
    }
  }
  if (Object.keys(hooks).length > 0 || (hadHooks && !changed)) next.hooks = hooks;
  else delete next.hooks;
  return { next, changed };
}

// Writes `text` in place of `file` through a temporary file in the same folder, keeping the old file's mode
// and the old content as `<file>.vodu-backup`. A file reached through a link is replaced at its target.
function writeAtomically(io, file, text, previous) {
  let target = file;
  try {
    target = io.realpathSync(file);
  } catch {
    // a new file
  }
  let mode = 0o600;
  try {
    mode = io.statSync(target).mode & 0o777;
  } catch {
    // a new file
  }
  io.mkdirSync(path.dirname(target), { recursive: true, mode: 0o700 });
  if (previous !== null) io.writeFileSync(`${target}.vodu-backup`, previous, { mode });
  const temporary = `${target}.vodu-${process.pid}.tmp`;
  const fd = io.openSync(temporary, 'w', mode);
  try {
    io.writeSync(fd, text);
    io.fsyncSync(fd);
  } finally {
    io.closeSync(fd);
  }
  try {
    io.renameSync(temporary, target);
  } catch (error) {
    io.rmSync(temporary, { force: true });
    throw error;
  }
}

// The backup's text when it is exactly the file without the relay: removing then gives back the user's bytes.
function untouchedSince(io, file, withoutRelay) {
  const backup = readSmallFile(io, `${file}.vodu-backup`, MAX_FILE_BYTES);
  if (backup === null) return null;
  try {
    const data = JSON.parse(backup.replace(/^\ufeff/, ''));
    return isObject(data) && JSON.stringify(data) === JSON.stringify(withoutRelay) ? backup : null;
  } catch {
    return null;
  }
}

// Installs (install true) or removes the relay's entries in one provider's file. Returns "changed" or
// "unchanged"; throws HookFileError with a message for the user when the file is left alone.
function applyHooks(io, provider, roots, { launcher, home, install }) {
  const file = hookFile(provider, roots);
  const { exists, text, data, indent } = readHookFile(io, file);
  checkShape(provider, file, data);
  if (!install && !exists) return 'unchanged';
  const { next, changed } = merge(provider, data, relayCommand(launcher || '', provider, home), install);
  if (!changed) return 'unchanged';
  const output = (!install && untouchedSince(io, file, next)) || (text === null || text.trim() === '' ? `${JSON.stringify(next, null, indent)}\n` : spliced(text, next, indent));
  let reread;
  try {
    reread = JSON.parse(output.replace(/^\ufeff/, ''));
  } catch {
    reread = null;
  }
  if (JSON.stringify(reread) !== JSON.stringify(next)) throw new HookFileError(`${file} could not be merged safely; VODU left it unchanged.`);
  try {
    writeAtomically(io, file, output, exists ? text : null);
  } catch (error) {
    throw new HookFileError(`${file} could not be written (${error.code || error.message}); it was left as it was.`);
  }
  return 'changed';
}

// 'prepared' when the file holds the relay with this launcher for every event, 'stale' when it holds the relay
// otherwise (an older or moved app), 'missing' without it.
function installedState(io, provider, roots, { launcher, home }) {
  const text = readSmallFile(io, hookFile(provider, roots), MAX_FILE_BYTES);
  if (text === null) return 'missing';
  let data;
  try {
    data = JSON.parse(text.replace(/^\ufeff/, ''));
  } catch {
    return 'missing';
  }
  if (!isObject(data) || !isObject(data.hooks)) return 'missing';
  const command = launcher ? relayCommand(launcher, provider, home) : null;
  let relays = 0;
  const found = new Set();
  for (const [event, groups] of Object.entries(data.hooks)) {
    for (const group of Array.isArray(groups) ? groups : []) {
      for (const handler of isObject(group) && Array.isArray(group.hooks) ? group.hooks : []) {
        if (!isRelay(handler)) continue;
        relays += 1;
        if (handler.command === command) found.add(event);
      }
    }
  }
  if (relays === 0) return 'missing';
  return EVENTS[provider].every(([event]) => found.has(event)) ? 'prepared' : 'stale';
}

module.exports = { applyHooks, installedState, relayCommand, hookFile, HookFileError, EVENTS };
