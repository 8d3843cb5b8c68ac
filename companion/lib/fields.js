'use strict';

// Command field readers. A field of the wrong type refuses the command with a message the user can read.

class CommandError extends Error {}

function refuse(message) {
  throw new CommandError(message);
}

function text(cmd, name, { max = 10000, optional = false, allowEmpty = false } = {}) {
  const value = cmd[name];
  if (value === undefined && optional) return undefined;
  if (typeof value !== 'string') refuse(`The field "${name}" must be text.`);
  if (!allowEmpty && value.trim().length === 0) refuse(`The field "${name}" is empty.`);
  if (value.length > max) refuse(`The field "${name}" is longer than ${max} characters.`);
  return value;
}

function flag(cmd, name) {
  if (typeof cmd[name] !== 'boolean') refuse(`The field "${name}" must be true or false.`);
  return cmd[name];
}

function integer(cmd, name, min, max) {
  const value = cmd[name];
  if (!Number.isSafeInteger(value) || value < min || value > max) refuse(`The field "${name}" must be a whole number from ${min} to ${max}.`);
  return value;
}

function choice(cmd, name, values) {
  const value = cmd[name];
  if (!values.includes(value)) refuse(`The field "${name}" must be one of: ${values.join(', ')}.`);
  return value;
}

// Revisions are opaque: any JSON value, and a missing one counts as null.
function revision(cmd, name) {
  return cmd[name] === undefined ? null : cmd[name];
}

module.exports = { CommandError, refuse, text, flag, integer, choice, revision };
