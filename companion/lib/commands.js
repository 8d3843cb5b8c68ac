'use strict';

const { CommandError } = require('./fields');
const { isObject } = require('./records');

// Action name → handler. A null-prototype table, so names such as "constructor" or "__proto__" are unknown.
function buildRegistry(...tables) {
  const registry = Object.create(null);
  for (const table of tables) Object.assign(registry, table);
  return registry;
}

function shorten(text, max) {
  return text.length > max ? `${text.slice(0, max)}…` : text;
}

// Turns one input line into exactly one result (or, without a usable id, a note on stderr).
// `registry`: the actions by name, or a function that gives them when the first command needs them.
function createDispatcher({ registry, context, reply, log }) {
  const actions = typeof registry === 'function' ? registry : () => registry;
  function run(cmd) {
    if (typeof cmd.action !== 'string' || cmd.action.length === 0) return { ok: false, message: 'The request has no action.' };
    if ('force' in cmd && typeof cmd.force !== 'boolean') return { ok: false, message: 'The field "force" must be true or false.' };
    if ('taskKey' in cmd && typeof cmd.taskKey !== 'string') return { ok: false, message: 'The field "taskKey" must be text.' };
    const handler = actions()[cmd.action];
    if (!handler) return { ok: false, message: `Unknown action "${shorten(cmd.action, 60)}".` };
    try {
      const outcome = handler(cmd, context) || {};
      return { ok: true, message: outcome.message, then: outcome.then };
    } catch (error) {
      if (error instanceof CommandError) return { ok: false, message: error.message };
      log(`action ${cmd.action} failed: ${error && error.stack ? error.stack : error}`);
      return { ok: false, message: 'The service could not complete this action.' };
    }
  }

  return function handleLine(line) {
    if (line.trim().length === 0) return;
    let cmd;
    try {
      cmd = JSON.parse(line);
    } catch {
      log(`skipped an input line that is not JSON (${Buffer.byteLength(line)} bytes)`);
      return;
    }
    if (!isObject(cmd) || typeof cmd.id !== 'string' || cmd.id.length === 0 || cmd.id.length > 200) {
      log('skipped a command without a usable "id"');
      return;
    }
    const { ok, message, then } = run(cmd);
    reply(cmd.id, ok, message, then);
  };
}

module.exports = { buildRegistry, createDispatcher };
