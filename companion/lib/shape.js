'use strict';

// The JSON types the app reads. The app treats a key of another type as missing, so a scenario typo would
// silently blank a view; the host reports such keys on stderr when it loads a scenario.

const ISO_TIME = /^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(\.\d+)?(Z|[+-]\d{2}:\d{2})$/;

const IS = {
  string: (v) => typeof v === 'string',
  boolean: (v) => typeof v === 'boolean',
  integer: (v) => Number.isSafeInteger(v),
  object: (v) => Boolean(v) && typeof v === 'object' && !Array.isArray(v),
  'object[]': (v) => Array.isArray(v) && v.every(IS.object),
  'string[]': (v) => Array.isArray(v) && v.every(IS.string),
  'text|string[]': (v) => IS.string(v) || IS['string[]'](v),
  time: (v) => typeof v === 'string' && ISO_TIME.test(v) && !Number.isNaN(Date.parse(v)),
  'time|number': (v) => IS.time(v) || (typeof v === 'number' && v > 0),
  map: (v) => IS.object(v),
};

const shape = (type, fields) => ({ type, fields });
const flags = (...names) => Object.fromEntries(names.map((n) => [n, 'boolean']));

const ACTION = shape('object', { summary: 'string', kind: 'string', scope: 'string' });
const ENTRY = shape('object[]', { action: ACTION });
const OPTION = shape('object[]', { id: 'string', action: ACTION, assessment: 'object' });
const BASIS = shape('object[]', { snippet: 'string', role: 'string', source: 'string' });
const TARGET = shape('object', { kind: 'string', url: 'string', verifiedOnPlatform: 'boolean', label: 'string', reason: 'string' });

const ASSOCIATION = shape('object', {
  status: 'string', unavailable: 'boolean', canCorrect: 'boolean', candidates: shape('object[]', { id: 'string', title: 'string' }),
  binding: shape('object', { action: shape('object', { id: 'string', title: 'string', dueAt: 'time' }), origin: 'string', locked: 'boolean' }),
});
const DEADLINE = shape('object', {
  status: 'string', online: 'boolean', remainingWork: 'text|string[]', blocker: 'text|string[]',
  options: shape('object[]', { id: 'string', title: 'string', description: 'string' }),
  recommendation: 'object', decision: 'object', reminder: 'object',
});

const ANALYSIS_FIELDS = {
  state: 'string', awaitingTurn: 'boolean', reason: 'string', nextAction: 'string', objective: 'string',
  remaining: 'string[]', basis: BASIS, previousAnalysis: 'object',
};

const SESSION = shape('object[]', {
  provider: 'string', session: 'string', title: 'string', cwd: 'string', taskId: 'string', reason: 'string',
  binding: shape('object', { mode: 'string', taskId: 'string' }),
  capabilities: shape('object', flags('canAnalyze', 'canAutoContinue', 'canEnroll', 'canContinue', 'canMonitor')),
  autoContinue: 'boolean', autoContinueStatus: 'string', autoContinueReason: 'string', isRunning: 'boolean', lastActivityAt: 'time',
  analysis: shape('object', ANALYSIS_FIELDS),
  providerGoal: shape('object', { objective: 'string', status: 'string', updatedAt: 'time|number' }),
  originalSessionTarget: TARGET, actionAssociation: ASSOCIATION, actionDeadline: DEADLINE,
});

const RUN = shape('object[]', {
  provider: 'string', session: 'string', taskId: 'string', objective: 'string', state: 'string', managed: 'boolean',
  autonomyPolicy: 'string', phase: 'string', capability: 'string', reason: 'string', nextStep: 'string',
  remainingWork: 'string', needsAttention: 'boolean',
  ...flags('canPause', 'canResume', 'canApprove', 'canReject', 'canReplan', 'canStop', 'canSetPolicy', 'canResolveDependency', 'canAnswer'),
  pendingApproval: shape('object', { id: 'string', denied: 'boolean', summary: 'string', scope: 'string' }),
  approvedAction: shape('object', { id: 'string', action: ACTION, scope: 'string' }),
  understandingQuestion: shape('object', { id: 'string', text: 'string' }),
  sessionUnderstanding: shape('object', {
    objective: 'string', basis: BASIS, done: 'string[]', remaining: 'string[]', question: 'string',
    nextAction: shape('object', { summary: 'string' }),
  }),
  dependencyWait: shape('object', { id: 'string', condition: 'string' }),
  acceptanceCriteria: shape('object[]', { id: 'string', description: 'string', check: shape('object', { type: 'string' }) }),
  verification: shape('object', {
    pending: 'string[]', verified: 'integer', total: 'integer',
    results: shape('map', { verified: 'boolean', source: 'string', exactPath: 'string', path: 'string', sha256: 'string' }),
  }),
  plan: shape('object', {
    diagnosis: 'string', alternatives: OPTION, selectedOptionId: 'string', remainingWork: 'string', userQuestion: 'string',
    recommendation: shape('object', { optionId: 'string', reason: 'string' }),
  }),
  decision: shape('object', { action: ACTION, assessment: 'object' }),
  escalation: shape('object', { options: OPTION, cause: 'string', tried: ENTRY, results: ENTRY, userQuestion: 'string' }),
  decisionHistory: ENTRY, originalSessionTarget: TARGET, actionAssociation: ASSOCIATION, actionDeadline: DEADLINE,
});

const PROVIDER = shape('object', { state: 'string', version: 'string' });

const STATUS = shape('object', {
  pluginSetup: shape('object', { state: 'string', refreshPending: 'boolean' }),
  deliveryHooks: shape('object', { providers: shape('map', { state: 'string' }), runs: RUN }),
  sessionSupervision: shape('object', {
    providers: shape('map', { discovery: 'string', reason: 'string', found: 'integer', skipped: 'integer' }), sessions: SESSION,
  }),
  previewSelectedSession: 'string',
  auth: shape('object', { state: 'string', userLabel: 'string' }),
  connection: shape('object', { state: 'string', error: 'string', lastSuccessAt: 'time' }),
  providers: shape('map', PROVIDER.fields),
  codex: PROVIDER,
  claude: PROVIDER,
  version: 'string',
  webOrigin: 'string',
  tasks: shape('object', { activeCount: 'integer', items: shape('object[]', { key: 'string', id: 'string', label: 'string', state: 'string' }) }),
  update: shape('object', {
    state: 'string', status: 'string', available: 'boolean', target_version: 'string', latestVersion: 'string',
    version: 'string', message: 'string', error: 'string',
  }),
  sampledAt: 'time',
});

const TASK_DETAIL = shape('object', {
  instruction: 'string', result: 'string', error: 'string', truncated: 'boolean',
  technicalInstruction: 'string', technicalResult: 'string',
  purpose: shape('object', { persona: 'string', expectedValue: 'string', successCriteria: 'string[]' }),
  report: shape('object', { testsRun: 'string[]', evidenceRefs: 'string[]', unresolvedItems: 'string[]', risks: 'string[]' }),
  links: shape('object[]', { url: 'string', label: 'string' }),
});

function check(value, rule, where, problems) {
  const { type, fields } = typeof rule === 'string' ? { type: rule } : rule;
  if (!IS[type](value)) {
    problems.push(`${where} should be ${type}`);
    return;
  }
  if (!fields) return;
  const members = type === 'object[]' ? value.map((v, i) => [`${where}[${i}]`, v])
    : type === 'map' ? Object.entries(value).map(([k, v]) => [`${where}.${k}`, v]) : [[where, value]];
  for (const [at, member] of members) {
    if (!IS.object(member)) {
      problems.push(`${at} should be object`);
      continue;
    }
    for (const [key, sub] of Object.entries(fields)) if (key in member) check(member[key], sub, `${at}.${key}`, problems);
  }
}

function checkSnapshot(status) {
  const problems = [];
  check(status, STATUS, 'status', problems);
  return problems;
}

function checkTaskDetail(detail, where = 'task') {
  const problems = [];
  check(detail, TASK_DETAIL, where, problems);
  return problems;
}

module.exports = { checkSnapshot, checkTaskDetail };
