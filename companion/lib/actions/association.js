'use strict';

const { refuse, text, revision } = require('../fields');
const { object, isObject, sameValue, clone, runKey } = require('../records');
const { runIdentity, recordDecision, GONE_SESSION } = require('./common');

// Linking a conversation to a workspace Action, and deciding how to meet that Action's deadline. Every change
// carries the revisions the user reviewed; the host refuses it when they are no longer current.

const STALE_LINK = 'The linked Action changed while you were reviewing it. Close, reload and choose again.';
const STALE_DEADLINE = 'The Action or its deadline changed. Close and reload before deciding.';
const LOCKED = 'Changes are unavailable right now. Reconnect and reload.';
const DUE_SOON_MS = 48 * 3600000;

const DEADLINE_OPTIONS = [
  { id: 'keep_scope', title: 'Keep the current scope', description: 'Continue the remaining work without changing the Action.' },
  { id: 'revise_deadline', title: 'Propose a new deadline', description: 'Discuss a new deadline before changing the Action.' },
  { id: 'reduce_scope', title: 'Propose a smaller scope', description: 'Discuss what to defer before changing the Action.' },
];

function nextRevision(value) {
  return Number.isSafeInteger(value) ? value + 1 : 1;
}

function target(cmd, state) {
  const [provider, session, taskId] = runIdentity(cmd);
  const records = state.linkedRecords(provider, session, taskId);
  if (records.length === 0) refuse(GONE_SESSION);
  const ids = [provider, session, taskId];
  // The session record and its run describe one conversation; either may carry the data.
  const carrier = (key) => object((records.find((r) => isObject(r[key])) || records[0])[key]);
  return { records, ids, carrier, association: carrier('actionAssociation'), key: runKey({ provider, session, taskId }) };
}

function checkLinkRevisions(cmd, association) {
  const current = [object(association.binding).revision, association.contextRevision, association.candidateRevision];
  const expected = ['expectedBindingRevision', 'expectedContextRevision', 'expectedCandidateRevision'].map((n) => revision(cmd, n));
  if (!expected.every((value, i) => sameValue(value, current[i]))) refuse(STALE_LINK);
}

function checkChangeable(association) {
  if (association.canCorrect === false || association.unavailable === true
    || ['signed_out', 'unavailable', 'offline'].includes(association.status)) refuse(LOCKED);
}

function remainingWork(record) {
  const lists = [object(record.sessionUnderstanding).remaining, object(record.analysis).remaining];
  const list = lists.find((l) => Array.isArray(l) && l.some((item) => typeof item === 'string'));
  return list ? list.filter((item) => typeof item === 'string').slice(0, 3) : undefined;
}

// A reminder exists only for a linked Action that is due within two days or already overdue.
function deadlineFor(state, association, candidate, record) {
  const due = Date.parse(candidate.dueAt);
  if (!Number.isFinite(due) || due - state.now() > DUE_SOON_MS) return null;
  const work = remainingWork(record);
  return {
    status: due < state.now() ? 'overdue' : 'due',
    actionId: candidate.id,
    ...(candidate.revision !== undefined ? { actionRevision: candidate.revision } : {}),
    bindingRevision: association.binding.revision,
    reminder: { key: `${candidate.id}:${candidate.dueAt}`, revision: 1 },
    options: clone(DEADLINE_OPTIONS),
    recommendation: { optionId: due < state.now() ? 'revise_deadline' : 'keep_scope' },
    ...(work ? { remainingWork: work } : {}),
    online: state.status.connection.state === 'online',
  };
}

function writeLink(state, records, association, candidate) {
  for (const record of records) {
    record.actionAssociation = clone(association);
    const deadline = candidate ? deadlineFor(state, association, candidate, record) : null;
    if (deadline) record.actionDeadline = deadline;
    else delete record.actionDeadline;
  }
  state.changed();
}

const handlers = {
  session_action_select: (cmd, { state }) => {
    const { records, association } = target(cmd, state);
    checkLinkRevisions(cmd, association);
    checkChangeable(association);
    const actionId = text(cmd, 'actionId', { max: 200 });
    const candidates = Array.isArray(association.candidates) ? association.candidates.filter(isObject) : [];
    const candidate = candidates.find((c) => c.id === actionId);
    if (!candidate) refuse('That Action is no longer offered. Re-check and choose again.');
    if (!sameValue(revision(cmd, 'expectedActionRevision'), candidate.revision)) refuse(STALE_LINK);
    const action = { id: candidate.id, title: String(candidate.title || ''), ...(typeof candidate.dueAt === 'string' ? { dueAt: candidate.dueAt } : {}) };
    const binding = { revision: nextRevision(object(association.binding).revision), action, origin: 'user', locked: true };
    writeLink(state, records, { ...association, status: 'bound', binding }, candidate);
  },

  session_action_unlink: (cmd, { state }) => {
    const { records, association } = target(cmd, state);
    checkLinkRevisions(cmd, association);
    checkChangeable(association);
    if (!isObject(object(association.binding).action)) refuse('No Action is linked to this conversation.');
    const binding = { revision: nextRevision(object(association.binding).revision), origin: 'user', locked: true };
    writeLink(state, records, { ...association, status: 'bound', binding }, null);
  },

  session_action_refresh: (cmd, { state }) => {
    const { records, association, ids } = target(cmd, state);
    checkLinkRevisions(cmd, association);
    if (association.status === 'signed_out') refuse('Sign in to see your Actions.');
    for (const record of records) record.actionAssociation = { ...clone(association), status: 'assessing' };
    state.changed();
    state.later(2, () => {
      const now = state.linkedRecords(...ids);
      const current = object(now[0] && now[0].actionAssociation);
      if (current.status !== 'assessing') return;
      const online = state.status.connection.state === 'online';
      const linked = isObject(object(current.binding).action);
      const candidates = Array.isArray(current.candidates) ? current.candidates : [];
      const status = !online ? 'offline' : linked ? 'bound' : candidates.length > 0 ? 'ambiguous' : 'no_match';
      const next = { ...current, status, candidateRevision: nextRevision(current.candidateRevision) };
      if (online) delete next.unavailable;
      for (const record of now) record.actionAssociation = clone(next);
      state.changed();
    });
  },

  session_deadline_decide: (cmd, { state }) => {
    const { records, key, carrier } = target(cmd, state);
    const requestId = text(cmd, 'requestId', { max: 200 });
    const choiceId = text(cmd, 'choice', { max: 100 });
    // A retried request that was already applied is answered again, never applied twice.
    // A known id that arrives for another reminder is a new decision under an old id: answering it ok would drop it.
    const reminderOf = { key: revision(cmd, 'reminderKey'), revision: revision(cmd, 'reminderRevision') };
    const applied = state.appliedRequests.get(requestId);
    if (applied) {
      if (applied.key === key && !sameValue(applied.reminder, reminderOf)) refuse('This request was already used for another reminder.');
      if (applied.key === key && applied.choice === choiceId) return undefined;
      refuse('This request was already used for a different decision.');
    }
    const deadline = carrier('actionDeadline');
    if (!['due', 'overdue', 'decided'].includes(deadline.status)) refuse('There is no deadline to decide for this Action right now.');
    const reminder = object(deadline.reminder);
    const pairs = [
      ['actionId', deadline.actionId], ['reminderKey', reminder.key], ['reminderRevision', reminder.revision],
      ['expectedActionRevision', deadline.actionRevision], ['expectedBindingRevision', deadline.bindingRevision],
      ['expectedDecisionRevision', object(deadline.decision).revision],
    ];
    if (!pairs.every(([name, current]) => sameValue(revision(cmd, name), current))) refuse(STALE_DEADLINE);
    const option = (Array.isArray(deadline.options) ? deadline.options : []).find((o) => object(o).id === choiceId);
    if (!option) refuse('That choice is not offered for this deadline.');
    const decision = { id: requestId, choice: choiceId, revision: nextRevision(object(deadline.decision).revision), decidedAt: state.nowIso() };
    for (const record of records) record.actionDeadline = { ...clone(deadline), status: 'decided', decision };
    state.appliedRequests.set(requestId, { key, choice: choiceId, reminder: reminderOf });
    const run = records.find((r) => state.runs().includes(r));
    if (run) recordDecision(state, run, { summary: `Deadline plan: ${option.title || choiceId}`, result: 'decided' });
    state.changed();
    return undefined;
  },
};

module.exports = { handlers, deadlineFor, DEADLINE_OPTIONS };
