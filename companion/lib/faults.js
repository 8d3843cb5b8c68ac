'use strict';

// Fault modes let end-to-end tests drive the app through a misbehaving service.
function parseFaults(list) {
  const faults = {
    silent: false,
    noResults: false,
    slowResultsMs: 0,
    oversizedLine: false,
    garbage: false,
    crashAfter: 0,
    refuseQuit: false,
    problems: [],
  };
  for (const token of String(list || '').split(',').map((t) => t.trim()).filter(Boolean)) {
    const [name, value] = token.split('=', 2);
    const number = /^\d+$/.test(value || '') ? Number(value) : NaN;
    switch (name) {
      case 'silent': faults.silent = true; break;
      case 'no-results': faults.noResults = true; break;
      case 'oversized-line': faults.oversizedLine = true; break;
      case 'garbage': faults.garbage = true; break;
      case 'refuse-quit': faults.refuseQuit = true; break;
      case 'slow-results':
        if (number >= 0 && number <= 600000) faults.slowResultsMs = number;
        else faults.problems.push(`ignored fault "${token}": expected slow-results=MS (0..600000)`);
        break;
      case 'crash-after':
        if (number >= 1) faults.crashAfter = number;
        else faults.problems.push(`ignored fault "${token}": expected crash-after=N (N >= 1)`);
        break;
      default:
        faults.problems.push(`ignored unknown fault "${token}"`);
    }
  }
  return faults;
}

module.exports = { parseFaults };
