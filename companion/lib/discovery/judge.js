'use strict';

const { iso } = require('../time');
const { cleanTitle } = require('./text');

// From evidence to what a conversation record says. The best evidence wins: the provider's own live-process
// record, then an open writer on the transcript, then the transcript alone, which only counts while it is
// fresh: a process that died mid-turn leaves a transcript that looks busy forever.

const FRESH_TURN_MS = 10 * 60 * 1000;
// A question nobody answered stays one: with no process to ask, the transcript is trusted for a day.
const FRESH_ASK_MS = 24 * 60 * 60 * 1000;
// Lines a provider writes while its hooks run (their own records) carry about the hook's time.
const HOOK_MARGIN_MS = 2000;
const SOFT_END_MS = 30 * 1000;
const PERMISSION_QUIET_MS = 5000;

const ASK_REASONS = {
  claude: {
    question: 'Claude Code asked a question and is waiting for your answer.',
    plan: 'Claude Code proposed a plan and is waiting for your approval.',
    permission: 'Claude Code is probably waiting for your permission to use a tool.',
    elicitation: 'Claude Code is waiting for you to fill in a form a tool asked for.',
  },
  codex: {
    question: 'Codex asked a question and is waiting for your answer.',
    approval: 'Codex is waiting for your approval to run a command outside its sandbox.',
  },
};

// Reasons when a hook said so: certain, and naming the tool when the hook did.
const HOOK_REASONS = {
  claude: { permission: (tool) => `Claude Code is waiting for your permission to use ${tool || 'a tool'}.` },
  codex: { approval: (tool) => `Codex is waiting for your approval to use ${tool || 'a tool'}.` },
};

const TARGET_REASONS = {
  claude: 'Claude Code conversations are reopened from their own terminal window.',
  codex: 'No application on this computer opens Codex thread links. Resume the thread in Codex with the ID below.',
};

// live: 'alive' | 'gone' | 'unknown'; status: the provider's own word for the process ("busy", "idle", ...).
// Returns { running, asks } where asks names what the conversation waits for the user to do.
function verdict(provider, turn, { live, status, quietMs }) {
  const none = { running: false, asks: null };
  if (live === 'gone') return none;
  if (live === 'unknown') {
    if (turn.asks) return quietMs < FRESH_ASK_MS ? { running: false, asks: turn.asks } : none;
    const open = turn.open === true && !(turn.softEnd && quietMs > SOFT_END_MS);
    return { running: open && quietMs < FRESH_TURN_MS, asks: null };
  }
  if (turn.asks) return { running: false, asks: turn.asks };
  if (status === 'busy') return { running: true, asks: null };
  if (status === 'idle' || turn.open !== true) return none;
  if (turn.softEnd && quietMs > SOFT_END_MS) return none;
  if (provider === 'claude' && turn.pendingTool && quietMs >= PERMISSION_QUIET_MS) return { running: false, asks: 'permission' };
  return { running: true, asks: null };
}

// Hook evidence outranks the transcript: what the last hook event said holds until the transcript moves past
// it, another event arrives, or the conversation's process is known to be gone. No clock clears a wait; a turn
// said to run with nothing written for as long as a transcript is trusted goes back to the transcript's word
// (a process that died mid-turn sends no stop).
function withHook(judged, hook, { live, lastAt, now }) {
  if (!hook || live === 'gone') return judged;
  if (hook.ended) return { running: false, asks: null };
  if (lastAt > hook.at + HOOK_MARGIN_MS) return judged;
  if (hook.asks) return { running: false, asks: hook.asks, tool: hook.tool, fromHook: true };
  if (hook.running && live !== 'alive' && now - hook.at > FRESH_TURN_MS) return judged;
  return { running: hook.running, asks: null };
}

function originalTarget(provider, session, codexLinks) {
  if (provider === 'codex' && codexLinks) return { kind: 'url', url: `codex://threads/${session}`, verifiedOnPlatform: true };
  return { kind: 'manual', reason: TARGET_REASONS[provider] };
}

// The session record the app reads. The host cannot act on a discovered conversation, so every capability is
// false and the binding stays unmanaged.
function sessionRecord(provider, info, { title, judged, mtimeMs, codexLinks }) {
  const cleaned = cleanTitle(title);
  const byHook = judged.fromHook && HOOK_REASONS[provider][judged.asks];
  const reason = byHook ? byHook(judged.tool) : judged.asks ? ASK_REASONS[provider][judged.asks] || ASK_REASONS[provider].question : undefined;
  return {
    provider,
    session: info.id,
    ...(cleaned ? { title: cleaned } : {}),
    ...(typeof info.cwd === 'string' && info.cwd ? { cwd: info.cwd } : {}),
    binding: { mode: 'unmanaged' },
    capabilities: { canAnalyze: false, canAutoContinue: false, canEnroll: false, canContinue: false, canMonitor: false },
    autoContinue: false,
    isRunning: judged.running,
    analysis: reason
      ? { state: 'needs_user', awaitingTurn: false, reason, nextAction: 'Answer in the original conversation.' }
      : { awaitingTurn: judged.running },
    lastActivityAt: iso(info.lastAt > 0 ? info.lastAt : mtimeMs),
    originalSessionTarget: originalTarget(provider, info.id, codexLinks),
  };
}

module.exports = { verdict, withHook, sessionRecord, FRESH_TURN_MS, FRESH_ASK_MS };
