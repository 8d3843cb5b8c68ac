'use strict';

// Scenario times are written relative to the host's start ("now-5m", "now+1d2h") so a demo always looks fresh.
const UNIT_MS = { s: 1000, m: 60000, h: 3600000, d: 86400000 };
const RELATIVE = /^now(?:([+-])((?:\d+[smhd])+))?$/;

function iso(ms) {
  return new Date(ms).toISOString().replace(/\.\d{3}Z$/, 'Z');
}

function resolveRelative(text, nowMs) {
  const match = RELATIVE.exec(text);
  if (!match) return null;
  let offset = 0;
  for (const [, count, unit] of (match[2] || '').matchAll(/(\d+)([smhd])/g)) offset += Number(count) * UNIT_MS[unit];
  return iso(nowMs + (match[1] === '-' ? -offset : offset));
}

// Replaces every relative time string, at any depth, by its ISO-8601 form.
function resolveTimes(value, nowMs) {
  if (typeof value === 'string') return resolveRelative(value, nowMs) ?? value;
  if (Array.isArray(value)) return value.map((item) => resolveTimes(item, nowMs));
  if (value && typeof value === 'object') {
    const out = {};
    for (const [key, item] of Object.entries(value)) out[key] = resolveTimes(item, nowMs);
    return out;
  }
  return value;
}

module.exports = { iso, resolveRelative, resolveTimes };
