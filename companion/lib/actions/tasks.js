'use strict';

const { refuse } = require('../fields');
const { clone } = require('../records');

// Keeps a detail line far below the frame cap; the app shows a note when content was shortened.
const DETAIL_BUDGET = 4 * 1024 * 1024;
const LONG_FIELDS = ['result', 'technicalResult', 'technicalInstruction', 'instruction', 'error'];

function fitDetail(detail) {
  const fitted = clone(detail);
  if (Buffer.byteLength(JSON.stringify(fitted)) <= DETAIL_BUDGET) return fitted;
  for (const key of LONG_FIELDS) {
    if (typeof fitted[key] === 'string' && fitted[key].length > 200000) fitted[key] = fitted[key].slice(0, 200000);
  }
  fitted.truncated = true;
  return fitted;
}

function taskKey(task) {
  if (typeof task.key === 'string') return task.key;
  return typeof task.id === 'string' ? task.id : null;
}

const handlers = {
  task_detail: (cmd, { state, sendTaskDetail }) => {
    const key = cmd.taskKey;
    if (typeof key !== 'string' || key.length === 0) refuse('The request does not name a task.');
    if (!state.status.tasks.items.some((task) => taskKey(task) === key)) refuse('This task is no longer listed. Refresh and try again.');
    sendTaskDetail(key, fitDetail(Object.hasOwn(state.taskDetails, key) ? state.taskDetails[key] : {}));
  },
};

module.exports = { handlers, fitDetail };
