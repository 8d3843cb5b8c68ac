'use strict';

// Builders for Claude Code and Codex transcript trees in the shapes the providers write them.

const fs = require('node:fs');
const path = require('node:path');

const T0 = Date.parse('2026-03-02T09:00:00Z');
const at = (i) => new Date(T0 + i * 1000).toISOString();
const uuid = (n) => `7a3c${String(n).padStart(4, '0')}-0b1d-4e2f-8a3b-${String(n).padStart(12, '0')}`;

// Writes lines (objects as JSON, strings as they are) and sets the file's modification time `ageMs` ago.
function writeLines(file, lines, ageMs = 0) {
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, lines.map((l) => (typeof l === 'string' ? l : JSON.stringify(l))).join('\n') + '\n');
  age(file, ageMs);
  return file;
}

function age(file, ageMs) {
  const when = new Date(Date.now() - ageMs);
  fs.utimesSync(file, when, when);
}

const claude = {
  user: (content, more = {}) => ({ type: 'user', message: { role: 'user', content }, ...more }),
  reply: (text, stop = null) => ({ type: 'assistant', message: { role: 'assistant', content: [{ type: 'text', text }], stop_reason: stop } }),
  tool: (id, name = 'Bash') => ({ type: 'assistant', message: { role: 'assistant', content: [{ type: 'tool_use', id, name, input: {} }], stop_reason: null } }),
  result: (id) => ({ type: 'user', message: { role: 'user', content: [{ type: 'tool_result', tool_use_id: id, content: 'ok' }] } }),
  end: () => ({ type: 'system', subtype: 'turn_duration', durationMs: 4200 }),
  title: (customTitle) => ({ type: 'custom-title', customTitle }),
  aiTitle: (aiTitle) => ({ type: 'ai-title', aiTitle }),
  summary: (summary, leafUuid) => ({ type: 'summary', summary, leafUuid }),
  // A transcript at <root>/projects/<folder>/<id>.jsonl; lines get the keys every message line carries.
  write(root, id, lines, { folder = '-home-dev-shop', cwd = '/home/dev/shop', ageMs = 0, name = `${id}.jsonl` } = {}) {
    const full = lines.map((line, i) => {
      if (typeof line === 'string' || line.type === 'summary' || line.type === 'custom-title' || line.type === 'ai-title') {
        return typeof line === 'string' ? line : { ...line, sessionId: line.type === 'summary' ? undefined : id };
      }
      return { parentUuid: null, isSidechain: false, uuid: `${id.slice(0, 8)}-line-${i}`, sessionId: id, cwd, version: '2.1.3', timestamp: at(i), ...line };
    });
    return writeLines(path.join(root, 'projects', folder, name), full, ageMs);
  },
};

const codex = {
  meta: (id, more = {}) => ({ type: 'session_meta', payload: { id, timestamp: at(0), cwd: '/home/dev/api', originator: 'codex_cli_rs', cli_version: '0.150.0', instructions: 'Be brief.', source: 'cli', ...more } }),
  env: (cwd = '/home/dev/api') => ({ type: 'response_item', payload: { type: 'message', role: 'user', content: [{ type: 'input_text', text: `<environment_context>\n  <cwd>${cwd}</cwd>\n</environment_context>` }] } }),
  said: (text) => ({ type: 'response_item', payload: { type: 'message', role: 'user', content: [{ type: 'input_text', text }] } }),
  ask: (message) => ({ type: 'event_msg', payload: { type: 'user_message', message } }),
  agent: (message) => ({ type: 'event_msg', payload: { type: 'agent_message', message } }),
  started: () => ({ type: 'event_msg', payload: { type: 'task_started', turn_id: '1' } }),
  complete: () => ({ type: 'event_msg', payload: { type: 'task_complete', turn_id: '1', last_agent_message: 'Done.' } }),
  call: (id, name, args) => ({ type: 'response_item', payload: { type: 'function_call', name, call_id: id, arguments: JSON.stringify(args) } }),
  output: (id) => ({ type: 'response_item', payload: { type: 'function_call_output', call_id: id, output: 'ok' } }),
  rename: (name) => ({ type: 'event_msg', payload: { type: 'thread_name_updated', thread_name: name } }),
  file: (root, id, day = '2026/03/02') => path.join(root, 'sessions', day, `rollout-${day.replace(/\//g, '-')}T09-00-00-${id}.jsonl`),
  // A rollout; wrapped lines get a timestamp, bare (oldest-format) lines are written as they are.
  write(root, id, lines, { ageMs = 0, day, file } = {}) {
    const full = lines.map((line, i) => (typeof line === 'string' || !line.payload ? line : { timestamp: at(i), ...line }));
    return writeLines(file || codex.file(root, id, day), full, ageMs);
  },
};

module.exports = { claude, codex, uuid, writeLines, age, T0 };
