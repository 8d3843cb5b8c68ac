'use strict';

const path = require('node:path');
const { readEnds, isRecord } = require('./lines');
const { contentText, timeOf, str } = require('./text');
const { openRegular } = require('./files');

// Codex: <root>/sessions/YYYY/MM/DD/rollout-<local time>-<thread-uuid>.jsonl, older ones possibly .jsonl.zst.
// Current lines are {"timestamp", "type", "payload"}; the oldest files start with a bare {"id", "timestamp",
// "instructions"} line and hold response items without a wrapper.

const ROLLOUT = /^rollout-\d{4}-\d{2}-\d{2}T\d{2}-\d{2}-\d{2}-([0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12})\.jsonl(\.zst)?$/i;
const INJECTED = /^(<(environment_context|user_instructions|user_shell_command|turn_aborted|permissions instructions|instructions|subagent_notification)\b|# AGENTS\.md instructions)/i;
const CALLS = new Set(['function_call', 'custom_tool_call', 'local_shell_call']);
const OUTPUTS = new Set(['function_call_output', 'custom_tool_call_output', 'local_shell_call_output']);
const INDEX_MAX_BYTES = 32 * 1024 * 1024;

function locate(env, home) {
  const root = env.CODEX_HOME ? path.resolve(env.CODEX_HOME) : path.join(home, '.codex');
  return { root, base: path.join(root, 'sessions') };
}

function fileId(name) {
  const match = ROLLOUT.exec(name);
  return match ? { id: match[1].toLowerCase(), compressed: Boolean(match[2]) } : null;
}

// {kind, p, at} for a line of either shape, or null for what carries nothing we read.
function unwrap(line, first) {
  if (typeof line.type === 'string' && isRecord(line.payload)) return { kind: line.type, p: line.payload, at: timeOf(line.timestamp) };
  if (line.record_type !== undefined) return null;
  if (first && typeof line.id === 'string' && line.type === undefined) return { kind: 'session_meta', p: line, at: timeOf(line.timestamp) };
  if (typeof line.type === 'string') return { kind: 'response_item', p: line, at: timeOf(line.timestamp) };
  return null;
}

function isSubagent(source) {
  return source === 'subagent' || (isRecord(source) && 'subagent' in source);
}

function userText(p) {
  if (p.type !== 'message' || p.role !== 'user') return null;
  const text = contentText(p.content);
  return text === null ? null : text.trim();
}

// A pending call waits for the user when it asks to leave the sandbox or asks the user something.
function askOf(call) {
  if (call.name === 'request_user_input') return 'question';
  const raw = typeof call.arguments === 'string' ? call.arguments : typeof call.input === 'string' ? call.input : null;
  if (raw === null || raw.length > 65536 || !raw.includes('escalated')) return null;
  try {
    const args = JSON.parse(raw);
    if (isRecord(args) && (args.sandbox_permissions === 'require_escalated' || args.with_escalated_permissions === true)) return 'approval';
  } catch {
    // not JSON: nothing to read
  }
  return null;
}

function headReader(into) {
  let count = 0;
  return (line) => {
    count += 1;
    const e = unwrap(line, count === 1);
    if (!e) return false;
    if (e.kind === 'session_meta' && !into.metaSeen) {
      const meta = isRecord(e.p.meta) ? e.p.meta : e.p;
      into.metaSeen = true;
      into.metaId = typeof meta.id === 'string' ? meta.id.toLowerCase() : undefined;
      into.cwd = str(meta.cwd);
      into.subagent = isSubagent(meta.source);
      into.startedAt = timeOf(meta.timestamp) || e.at;
    } else if (e.kind === 'turn_context' && !into.cwd) {
      into.cwd = str(e.p.cwd);
    } else if (e.kind === 'event_msg' && e.p.type === 'user_message' && into.firstRequest === undefined) {
      const words = typeof e.p.message === 'string' ? e.p.message.trim() : '';
      if (words && !INJECTED.test(words)) into.firstRequest = words.slice(0, 4096);
    } else if (e.kind === 'response_item') {
      const text = userText(e.p);
      if (text && !into.cwd) into.cwd = str((/<cwd>([^<]+)<\/cwd>/.exec(text) || [])[1]);
      if (text && !INJECTED.test(text) && into.firstRequest === undefined) into.firstRequest = text.slice(0, 4096);
    }
    into.headDone = into.metaSeen && Boolean(into.cwd) && into.firstRequest !== undefined;
    return into.headDone;
  };
}

// The turn as the tail shows it. Releases that write task_started / task_complete are read by those; for
// the others a user message with no agent message after it, or a call without its output, means a turn runs.
function tailReader() {
  let s;
  return {
    reset() {
      s = { markers: false, open: null, index: 0, lastUser: -1, lastAgent: -1, pending: new Map(), lastAt: 0 };
    },
    visit(line) {
      const e = unwrap(line, false);
      if (!e) return;
      s.index += 1;
      s.lastAt = Math.max(s.lastAt, e.at);
      const p = e.p;
      if (e.kind === 'event_msg') {
        if (p.type === 'task_started') {
          Object.assign(s, { markers: true, open: true });
          s.pending.clear();
        } else if (p.type === 'task_complete' || p.type === 'turn_aborted') {
          Object.assign(s, { markers: true, open: false });
          s.pending.clear();
        } else if (p.type === 'user_message') s.lastUser = s.index;
        else if (p.type === 'agent_message') s.lastAgent = s.index;
        else if (p.type === 'thread_name_updated' && str(p.thread_name)) s.threadName = p.thread_name;
      } else if (e.kind === 'response_item') {
        const text = userText(p);
        if (text && !INJECTED.test(text)) s.lastUser = s.index;
        else if (p.type === 'message' && p.role === 'assistant') s.lastAgent = s.index;
        else if (CALLS.has(p.type) && typeof p.call_id === 'string') s.pending.set(p.call_id, p);
        else if (OUTPUTS.has(p.type) && typeof p.call_id === 'string') s.pending.delete(p.call_id);
      } else if (e.kind === 'turn_context' && str(p.cwd)) s.cwd = p.cwd;
    },
    enough: () => s.markers,
    result() {
      let open = s.open;
      if (!s.markers) {
        if (s.pending.size > 0 || s.lastUser > s.lastAgent) open = true;
        else if (s.lastAgent >= 0) open = false;
      }
      return { ...s, open };
    },
  };
}

function finish(id, head, t, previous, size, mtimeMs) {
  let status = 'ok';
  if (!head.metaSeen) status = 'empty';
  else if (head.metaId !== id) status = 'mismatch';
  else if (head.subagent) status = 'subagent';
  const asks = [...t.pending.values()].map(askOf).find(Boolean) || null;
  return {
    id,
    status,
    size,
    mtimeMs,
    headDone: head.headDone,
    metaSeen: head.metaSeen,
    metaId: head.metaId,
    subagent: head.subagent,
    startedAt: head.startedAt,
    cwd: head.cwd || t.cwd,
    firstRequest: head.firstRequest,
    threadName: t.threadName || (previous ? previous.threadName : undefined),
    lastAt: Math.max(t.lastAt, previous ? previous.lastAt : 0),
    turn: { open: t.open, asks, pendingTool: t.pending.size > 0 && !asks, softEnd: false },
  };
}

function parse(io, file, id, previous) {
  const grown = previous && previous.headDone && previous.size > 0;
  const head = grown ? { ...previous } : { metaSeen: false, headDone: false };
  const tail = tailReader();
  const { size, mtimeMs } = readEnds(io, file, { head: headReader(head), tail, headNeeded: !grown });
  return finish(id, head, tail.result(), grown ? previous : null, size, mtimeMs);
}

// For a decompressed file: the records of its first and last bytes.
function parseRecords(id, headRecords, tailRecords, size, mtimeMs) {
  const head = { metaSeen: false, headDone: false };
  const visit = headReader(head);
  for (const record of headRecords) if (visit(record)) break;
  const tail = tailReader();
  tail.reset();
  tailRecords.forEach((record) => tail.visit(record));
  return finish(id, head, tail.result(), null, size, mtimeMs);
}

// A rename can stand anywhere in a rollout, far from the head and tail that are read. This scans `[from, up
// to budget bytes)` for rename records; returns how far it got and the last name found (undefined if none).
const RENAME_MARK = Buffer.from('"thread_name_updated"');
const SCAN_CHUNK_BYTES = 1024 * 1024;

function scanRenames(io, file, from, budget) {
  const { fd, stat } = openRegular(io, file);
  let name;
  let position = from;
  try {
    const end = Math.min(stat.size, from + budget);
    const buffer = Buffer.allocUnsafe(SCAN_CHUNK_BYTES + RENAME_MARK.length);
    while (position < end) {
      const n = io.readSync(fd, buffer, 0, Math.min(buffer.length, end - position + RENAME_MARK.length), position);
      if (n === 0) break;
      for (let at = buffer.indexOf(RENAME_MARK); at !== -1 && at < n; at = buffer.indexOf(RENAME_MARK, at + 1)) {
        const found = renameAround(io, fd, position + at);
        if (found) name = found;
      }
      position += Math.min(n, SCAN_CHUNK_BYTES);
    }
    return { to: Math.min(position, stat.size), size: stat.size, mtimeMs: stat.mtimeMs, name };
  } finally {
    io.closeSync(fd);
  }
}

// The rename record on the line around `at`, read from a small window (rename lines are short).
function renameAround(io, fd, at) {
  const start = Math.max(0, at - 4096);
  const window = Buffer.allocUnsafe(8192);
  const n = io.readSync(fd, window, 0, window.length, start);
  const lineStart = window.lastIndexOf(10, at - start) + 1;
  const lineEnd = window.indexOf(10, at - start);
  if (lineEnd === -1 || lineEnd > n) return undefined;
  try {
    const e = unwrap(JSON.parse(window.subarray(lineStart, lineEnd).toString('utf8')), false);
    return e && e.kind === 'event_msg' && e.p.type === 'thread_name_updated' ? str(e.p.thread_name) : undefined;
  } catch {
    return undefined;
  }
}

function titleOf(info, names) {
  return names.get(info.id) || info.threadName || info.firstRequest;
}

// Thread names from <root>/session_index.jsonl, one line per rename: the last line for an id wins. Read
// incrementally from where the last read stopped; a file that shrank is read again from the start.
function readNames(io, root, cache) {
  const file = path.join(root, 'session_index.jsonl');
  let stat;
  try {
    stat = io.statSync(file);
  } catch {
    cache.names.clear();
    cache.offset = 0;
    return cache.names;
  }
  if (stat.size < cache.offset) {
    cache.names.clear();
    cache.offset = 0;
  }
  if (stat.size === cache.offset) return cache.names;
  let start = cache.offset === 0 ? Math.max(0, stat.size - INDEX_MAX_BYTES) : cache.offset;
  let fd;
  try {
    ({ fd } = openRegular(io, file));
    const buffer = Buffer.allocUnsafe(stat.size - start);
    const read = io.readSync(fd, buffer, 0, buffer.length, start);
    let from = 0;
    if (start > 0 && cache.offset === 0) from = buffer.indexOf(10) + 1; // a cut first line
    const last = buffer.lastIndexOf(10, read - 1);
    if (last >= from) {
      for (const text of buffer.subarray(from, last).toString('utf8').split('\n')) {
        let entry;
        try {
          entry = JSON.parse(text);
        } catch {
          continue;
        }
        if (!isRecord(entry) || typeof entry.id !== 'string') continue;
        const key = entry.id.toLowerCase();
        if (str(entry.thread_name)) cache.names.set(key, entry.thread_name);
        else if (entry.thread_name === '') cache.names.delete(key);
      }
      start += last + 1;
    }
    cache.offset = start;
  } catch {
    // unreadable now: keep the names known so far
  } finally {
    if (fd !== undefined) io.closeSync(fd);
  }
  return cache.names;
}

module.exports = {
  name: 'codex',
  label: 'Codex',
  locate,
  depth: 3,
  acceptDir: (name) => /^\d+$/.test(name),
  fileId,
  parse,
  parseRecords,
  scanRenames,
  titleOf,
  readNames,
};
