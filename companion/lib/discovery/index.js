'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const claude = require('./claude');
const codex = require('./codex');
const { FileIndex, RECENT_MS } = require('./tree');
const { Watches } = require('./watch');
const { recordsIn } = require('./lines');
const { openWriters } = require('./proc');
const { verdict, withHook, sessionRecord } = require('./judge');
const { HookEvidence, listen } = require('./relay');
const { HistoryHints } = require('./hints');
const { RenameScans } = require('./renames');
const { HookSetup, hookActions } = require('./hooksetup');
const { unreadableKind } = require('./files');
const tools = require('./tools');
const { discoveryWanted, homeOf } = require('./wanted');

// Finds the user's own Claude Code and Codex conversations and reports them as session records. Read-only:
// provider files are opened for reading, never written, locked or moved.

const PROVIDERS = [codex, claude];
const DEFAULT_LIMIT = 100;
const DEFAULT_POLL_MS = 10000; // the safety sweep; watches and hook events carry changes
const JUDGE_MS = 1000; // verdicts that depend on time are looked at again while a conversation is active
const WAIT_JUDGE_TICKS = 30;
const HINT_MS = 3000;
const FIRST_SCAN_BUDGET_MS = 500; // past this, the first scan goes on in slices of DRAIN_SLICE_MS
const DRAIN_SLICE_MS = 50;
const HINT_RETRY_MS = 200;
const EVENT_DELAY_MS = 30;
const WRITER_SCAN_MS = 3000;
const LIVE_WINDOW_MS = 24 * 60 * 60 * 1000;
const WRITER_GRACE_MS = 60 * 1000;
const LINK_CHECK_MS = 10 * 60 * 1000;
const FRESH_WINDOW_MS = 10 * 60 * 1000; // the longest a verdict waits on the clock
const MAX_WATCHES = 1280;
const MAX_LEAF_WATCHES = 1024;

function describeError(error) {
  if (error.code === 'EACCES' || error.code === 'EPERM') return 'permission denied';
  if (error.code === 'ENOTDIR') return 'it is not a folder';
  return error.code || error.message || 'unknown error';
}

class Discovery {
  constructor({
    env = process.env, io = fs, now = Date.now, log = () => {}, onChange = () => {}, limit = DEFAULT_LIMIT, pollMs = DEFAULT_POLL_MS,
    watch = true, probe = true, voduHome = null, baseDir = path.join(__dirname, '..', '..'),
  } = {}) {
    Object.assign(this, { env, io, now, log, onChange, limit, pollMs, watch, probe, voduHome });
    const home = homeOf(env);
    this.providers = PROVIDERS.map((def) => {
      const { root, base } = def.locate(env, home);
      return {
        def,
        root,
        base,
        index: new FileIndex({ io, base, depth: def.depth, acceptDir: def.acceptDir, fileId: def.fileId, now }),
        parsed: new Map(),
        ranked: null,
        selected: [],
        skipped: 0,
        names: { names: new Map(), offset: 0 },
        lives: new Map(),
        unreadable: new Map(),
        history: new HistoryHints(io, root),
        hinted: new Map(),
        renames: new Map(),
      };
    });
    this.evidence = new HookEvidence({ now });
    this.relay = null;
    this.hooks = voduHome
      ? new HookSetup({ env, home: voduHome, baseDir, roots: Object.fromEntries(this.providers.map((p) => [p.def.name, p.root])), io, log, onChange: () => this.safely(() => this.publish()) })
      : null;
    this.writers = null;
    this.writersAt = -Infinity;
    this.codexLinks = false;
    this.versions = {};
    this.zstd = undefined;
    this.zstdQueue = [];
    this.zstdRunning = null;
    this.pendingEvents = new Map();
    this.eventTimer = null;
    this.pollTimer = null;
    this.linkTimer = null;
    this.judgeTimer = null;
    this.hintTimer = null;
    this.drainTimer = null;
    this.renames = new RenameScans({ io, providers: this.providers, safely: (work) => this.safely(work), onFound: () => this.publish() });
    this.warm = false;
    this.watchesDue = false;
    this.stopped = false;
    this.starting = false;
    this.published = { sessions: '', providers: '', versions: '', hooks: '' };
    this.result = { sessions: [], providers: {}, versions: {} };
    this.watches = new Watches({ io, max: MAX_WATCHES, now, onEvent: (dir, name) => this.onEvent(dir, name) });
  }

  // The first full scan runs before this returns, so the host's first status already lists what was found.
  start() {
    this.zstd = tools.findOnPath('zstd', this.env);
    this.starting = true;
    this.scan(true, FIRST_SCAN_BUDGET_MS);
    this.starting = false;
    this.drainLater();
    if (this.watch) this.syncWatches();
    this.pollTimer = setInterval(() => this.safely(() => this.scan(false)), this.pollMs);
    this.pollTimer.unref();
    // Every second while a turn runs or was just written; every WAIT_JUDGE_TICKS while only a wait is open
    // (its end comes with an event, or with its process gone).
    let ticks = 0;
    this.judgeTimer = setInterval(() => {
      ticks += 1;
      if (this.warm === 'hot' || (this.warm === 'waiting' && ticks % WAIT_JUDGE_TICKS === 0)) this.safely(() => this.publish());
    }, JUDGE_MS);
    this.judgeTimer.unref();
    if (this.probe) this.startProbes();
    if (this.voduHome) this.relay = listen(this.voduHome, (provider, event) => this.safely(() => this.onHook(provider, event)), this.log);
    return this.result;
  }

  // Work that runs on its own (poll, watch events, background results) must never take the host down: a
  // failure is logged and the next poll tries again.
  safely(work) {
    try {
      work();
    } catch (error) {
      this.log(`discovery: ${error && error.stack ? error.stack : error}`);
    }
  }

  stop() {
    this.stopped = true;
    clearInterval(this.pollTimer);
    clearInterval(this.judgeTimer);
    clearInterval(this.linkTimer);
    clearTimeout(this.eventTimer);
    clearTimeout(this.hintTimer);
    clearTimeout(this.drainTimer);
    this.renames.stop();
    this.watches.close();
    if (this.relay) this.relay.close();
    tools.stopAll();
  }

  startProbes() {
    for (const [name, command] of [['codex', 'codex'], ['claude', 'claude']]) {
      tools.toolVersion(command, this.env, (version) => {
        if (this.stopped || !version) return;
        this.versions = { ...this.versions, [name]: { version } };
        this.safely(() => this.publish());
      });
    }
    const checkLinks = () => tools.codexLinkHandler(this.env, (found) => {
      if (this.stopped || found === this.codexLinks) return;
      this.codexLinks = found;
      this.safely(() => this.publish());
    });
    checkLinks();
    this.linkTimer = setInterval(checkLinks, LINK_CHECK_MS);
    this.linkTimer.unref();
  }

  // One sweep of both providers (every file on a full one), then the records are rebuilt and published.
  scan(full, budgetMs = Infinity) {
    if (this.stopped) return;
    let folders = false;
    let files = false;
    for (const p of this.providers) {
      const before = p.index.dirs.size;
      const changed = p.index.sweep(full, budgetMs);
      this.invalidate(p, changed);
      folders = folders || p.index.dirs.size !== before;
      files = files || changed.size > 0;
    }
    if ((folders || this.watchesDue) && this.watch) this.syncWatches();
    const hooks = this.hooks ? this.hooks.refresh() : false;
    // An idle tree where the sweep found nothing new has nothing to judge again.
    if (full || folders || files || hooks || this.warm) this.publish();
  }

  // The rest of a first scan that ran out of time, a slice per turn of the event loop so input and signals
  // are answered in between; the records are published once it is done.
  drainLater() {
    if (this.stopped || !this.providers.some((p) => p.index.deferred.length > 0)) return;
    this.drainTimer = setTimeout(() => this.safely(() => {
      for (const p of this.providers) if (p.index.deferred.length > 0) this.invalidate(p, p.index.drain(DRAIN_SLICE_MS));
      if (this.providers.some((p) => p.index.deferred.length > 0)) this.drainLater();
      else {
        if (this.watch) this.syncWatches();
        this.publish();
      }
    }), 0);
  }

  invalidate(p, changed) {
    if (changed.size === 0) return;
    p.ranked = null;
    if (this.watch && [...changed].some((file) => !this.watches.active.has(path.dirname(file)) && p.index.files.has(file))) this.watchesDue = true;
  }

  // A hook event: its conversation's state changes now, and the transcript it names is looked at at once
  // (its folder may be one no watch covers).
  onHook(provider, event) {
    if (this.stopped) return;
    const hinted = this.evidence.accept(provider, event);
    if (this.hooks && this.evidence.seenAt[provider]) this.hooks.observed(provider);
    const p = this.providers.find((candidate) => candidate.def.name === provider);
    if (p && hinted && path.isAbsolute(hinted) && hinted.startsWith(p.base + path.sep)) {
      const dir = path.dirname(hinted);
      if (p.index.dirs.has(dir)) this.invalidate(p, p.index.touch(dir, path.basename(hinted)));
      else this.invalidate(p, p.index.sweep(false));
    }
    if (this.watchesDue && this.watch) this.syncWatches();
    this.publish();
  }

  // Actions the host answers from discovery: the relay hooks in the providers' own files.
  actions() {
    return hookActions(this.hooks);
  }

  onEvent(dir, name) {
    const names = this.pendingEvents.get(dir) || new Set();
    names.add(name);
    this.pendingEvents.set(dir, names);
    if (!this.eventTimer) {
      this.eventTimer = setTimeout(() => {
        this.eventTimer = null;
        this.safely(() => this.flushEvents());
      }, EVENT_DELAY_MS);
    }
  }

  flushEvents() {
    if (this.stopped) return;
    const events = this.pendingEvents;
    this.pendingEvents = new Map();
    let folders = false;
    for (const [dir, names] of events) {
      for (const p of this.providers) {
        if (p.index.dirs.has(dir)) {
          const before = p.index.dirs.size;
          for (const name of names.size > 8 || names.has(null) ? [null] : names) this.invalidate(p, p.index.touch(dir, name));
          folders = folders || p.index.dirs.size !== before;
        } else if (dir === p.root || dir === p.base) {
          // In the provider's own folder: a prompt typed (history), a hook file edited, or anything else.
          const rest = new Set(names);
          if (dir === p.root && rest.delete('history.jsonl')) {
            for (const hint of p.history.read()) p.hinted.set(hint.id, { ...hint, until: this.now() + HINT_MS });
            this.followHints(p);
          }
          if (dir === p.root && (rest.delete('settings.json') | rest.delete('hooks.json')) && this.hooks) this.hooks.refresh();
          if (rest.size > 0 || dir === p.base) {
            this.invalidate(p, p.index.sweep(false));
            folders = true;
          }
        }
      }
    }
    if ((folders || this.watchesDue) && this.watch) this.syncWatches();
    this.publish();
  }

  // Looks at the transcripts of the conversations the history named; one not written yet is looked for again
  // for a few seconds.
  followHints(p) {
    for (const [id, hint] of p.hinted) {
      const file = this.fileOf(p, id);
      if (file) {
        this.invalidate(p, p.index.touch(path.dirname(file), path.basename(file)));
        p.hinted.delete(id);
        continue;
      }
      const folder = hint.cwd && p.def.folderOf ? path.join(p.base, p.def.folderOf(hint.cwd)) : null;
      if (folder && p.index.dirs.has(folder)) this.invalidate(p, p.index.touch(folder, null));
      if (this.fileOf(p, id) || this.now() > hint.until) p.hinted.delete(id);
    }
    if (p.hinted.size > 0 && !this.hintTimer) {
      this.hintTimer = setTimeout(() => {
        this.hintTimer = null;
        this.safely(() => {
          for (const q of this.providers) if (q.hinted.size > 0) this.followHints(q);
          if (this.watchesDue && this.watch) this.syncWatches();
          this.publish();
        });
      }, HINT_RETRY_MS);
      this.hintTimer.unref();
    }
  }

  fileOf(p, id) {
    for (const [file, entry] of p.index.files) if (entry.id === id) return file;
    return null;
  }

  // Most useful first: the provider folders and every folder above the transcripts, then the transcript
  // folders written in the last day, then the others that hold transcripts, newest first, up to a bound.
  // Empty folders and whatever is past the bound are left to the sweep, the hints of the providers' history
  // files and the hook events, so a tree of any size costs a bounded number of watches.
  syncWatches() {
    this.watchesDue = false;
    const now = this.now();
    const folders = this.providers.flatMap((p) => p.index.folders());
    const leaves = folders.filter(([, changed, upper, entries]) => !upper && (entries > 0 || now - changed < RECENT_MS))
      .sort((a, b) => b[1] - a[1]).slice(0, MAX_LEAF_WATCHES);
    const dirs = [
      ...this.providers.flatMap((p) => [p.root, path.join(p.root, 'sessions')]).filter((dir) => this.io.existsSync(dir)),
      ...folders.filter(([, , upper]) => upper).map(([dir]) => dir),
      ...leaves.map(([dir]) => dir),
    ];
    this.watches.sync([...new Set(dirs)]);
  }

  // The most recently written transcripts, parsed (from cache when size and time are unchanged) until
  // `limit` conversations are found; files that are no conversation of their own are passed over.
  select(p) {
    if (!p.ranked) p.ranked = [...p.index.files].sort((a, b) => b[1].mtimeMs - a[1].mtimeMs);
    const selected = [];
    const examined = new Set();
    let skipped = 0;
    let decompressing = 0;
    p.unreadable.clear();
    for (const [file, entry] of p.ranked) {
      if (selected.length + decompressing >= this.limit) break;
      examined.add(file);
      const info = this.infoFor(p, file, entry);
      if (!info) decompressing += entry.compressed ? 1 : 0;
      else if (info.status === 'ok') selected.push({ file, entry, info });
      else if (info.status === 'mismatch' || info.status === 'unreadable') skipped += 1;
      if (info && info.status === 'unreadable') p.unreadable.set(file, info.why);
    }
    // Without a decompressor every compressed transcript is skipped, listed or not.
    if (!this.zstd) for (const entry of p.index.files.values()) if (entry.compressed) skipped += 1;
    // Decompressed results are kept while their file exists: they are the costly ones to redo.
    for (const [file, info] of p.parsed) {
      if (!examined.has(file) && !(info.compressedSource && p.index.files.has(file))) p.parsed.delete(file);
    }
    p.selected = selected;
    if (skipped !== p.skipped) {
      if (skipped > 0) this.log(`discovery: skipped ${skipped} ${p.def.label} transcript(s) that could not be read or did not match their name`);
      p.skipped = skipped;
    }
  }

  infoFor(p, file, entry) {
    const cached = p.parsed.get(file);
    if (cached && cached.size === entry.size && cached.mtimeMs === entry.mtimeMs) return cached;
    if (entry.compressed) {
      if (!this.zstd) return this.remember(p, file, { status: 'compressed', size: entry.size, mtimeMs: entry.mtimeMs });
      this.queueZstd(p, file, entry);
      return null;
    }
    let info;
    try {
      const grown = cached && entry.size >= cached.size && cached.status === 'ok' ? cached : undefined;
      info = p.def.parse(this.io, file, entry.id, grown);
    } catch (error) {
      if (error.code === 'ENOENT') return null;
      info = { status: 'unreadable', why: unreadableKind(error), size: entry.size, mtimeMs: entry.mtimeMs };
    }
    entry.size = info.size;
    entry.mtimeMs = info.mtimeMs;
    return this.remember(p, file, info);
  }

  remember(p, file, info) {
    p.parsed.set(file, info);
    return info;
  }

  // Claude Code summaries by the uuid of the line they describe, from every transcript read so far.
  claudeSummaries(p) {
    const summaries = new Map();
    for (const info of p.parsed.values()) for (const s of info.summaries || []) summaries.set(s.leafUuid, s.summary);
    return summaries;
  }

  queueZstd(p, file, entry) {
    if (this.zstdRunning === file || this.zstdQueue.some((job) => job.file === file)) return;
    this.zstdQueue.push({ p, file, size: entry.size, mtimeMs: entry.mtimeMs, id: entry.id });
    this.pumpZstd();
  }

  pumpZstd() {
    if (this.zstdRunning || this.stopped || this.zstdQueue.length === 0) return;
    const job = this.zstdQueue.shift();
    this.zstdRunning = job.file;
    tools.zstdEnds(this.zstd, job.file, this.env, (ends) => {
      this.zstdRunning = null;
      if (this.stopped) return;
      let info;
      if (!ends) info = { status: 'unreadable', size: job.size, mtimeMs: job.mtimeMs };
      else {
        const tail = ends.cut ? ends.tail.subarray(ends.tail.indexOf(10) + 1) : ends.tail;
        info = job.p.def.parseRecords(job.id, recordsIn(ends.head, 0, true), recordsIn(tail, 0, !ends.cut), job.size, job.mtimeMs);
      }
      info.compressedSource = true;
      this.remember(job.p, job.file, info);
      this.safely(() => this.publish());
      this.pumpZstd();
    });
  }

  liveness(p, file, info, quietMs) {
    if (p.def === claude) {
      const proc = p.lives.get(info.id);
      if (proc && proc.state === 'alive') return { live: 'alive', status: proc.status };
      if (proc && proc.state === 'gone') return { live: 'gone' };
      return { live: this.writers && this.writers.has(file) ? 'alive' : 'unknown' };
    }
    if (this.writers && this.writers.has(file)) return { live: 'alive' };
    return { live: this.writers && quietMs >= WRITER_GRACE_MS && quietMs < LIVE_WINDOW_MS ? 'gone' : 'unknown' };
  }

  // Open writers are looked up only when a transcript written in the last day suggests its conversation may
  // be active; older open turns are taken for the leftovers of a process that ended.
  refreshWriters(now) {
    const needed = this.providers.some((p) => p.selected.some(({ entry, info }) => (info.turn.open === true || info.turn.asks) && now - entry.mtimeMs < LIVE_WINDOW_MS));
    if (!needed) {
      this.writers = null;
      return;
    }
    if (now - this.writersAt < WRITER_SCAN_MS) return;
    this.writersAt = now;
    this.writers = openWriters(this.io, this.providers.map((p) => p.base + path.sep));
  }

  build() {
    const now = this.now();
    const providers = {};
    for (const p of this.providers) {
      this.select(p);
      if (p.def === claude) p.lives = claude.liveProcesses(this.io, p.root, p.liveCache || (p.liveCache = new Map()));
      else codex.readNames(this.io, p.root, p.names);
      const error = p.index.error;
      if (error) providers[p.def.name] = { discovery: 'unavailable', reason: `${p.def.label} conversations in ${p.base} cannot be read: ${describeError(error)}.` };
      else if (!this.io.existsSync(p.root)) providers[p.def.name] = { discovery: 'not_found' };
      else providers[p.def.name] = { discovery: 'available', found: p.selected.length, ...(p.skipped ? { skipped: p.skipped } : {}), ...this.unreadableNote(p) };
    }
    this.refreshWriters(now);
    const sessions = [];
    for (const p of this.providers) {
      const titles = p.def === claude ? this.claudeSummaries(p) : p.names.names;
      for (const { file, entry, info } of p.selected) {
        const quietMs = Math.max(0, now - entry.mtimeMs);
        const live = this.liveness(p, file, info, quietMs);
        const judged = withHook(verdict(p.def.name, info.turn, { ...live, quietMs }), this.evidence.of(p.def.name, info.id), { live: live.live, lastAt: info.lastAt, now });
        const scanned = p.def.scanRenames ? this.renames.nameOf(p, file, entry) : undefined;
        const title = p.def.titleOf(scanned && !info.threadName ? { ...info, threadName: scanned } : info, titles);
        sessions.push(sessionRecord(p.def.name, info, { title, judged, mtimeMs: entry.mtimeMs, codexLinks: this.codexLinks }));
      }
    }
    const hot = sessions.some((s) => s.isRunning || now - Date.parse(s.lastActivityAt) < FRESH_WINDOW_MS);
    this.warm = hot ? 'hot' : sessions.some((s) => s.analysis.state === 'needs_user') ? 'waiting' : false;
    sessions.sort((a, b) => (a.lastActivityAt < b.lastActivityAt ? 1 : a.lastActivityAt > b.lastActivityAt ? -1 : 0));
    return { sessions: sessions.slice(0, this.limit), providers, versions: this.versions, ...(this.hooks ? { hooks: this.hooks.snapshot() } : {}) };
  }

  // Files and folders left out because they could not be read or are no regular file: counted, and the first
  // few named by their folder (file names are long ids the app would mask).
  unreadableNote(p) {
    const items = [
      ...[...p.index.unreadable].map(([dir, why]) => `${path.relative(p.base, dir)} (${why})`),
      ...[...p.index.irregular].map((file) => [file, 'not a regular file']).concat([...p.unreadable])
        .map(([file, why]) => `a transcript in ${path.relative(p.base, path.dirname(file)) || '.'} (${why})`),
    ];
    if (items.length === 0) return {};
    const shown = items.slice(0, 3).join('; ') + (items.length > 3 ? `; ${items.length - 3} more` : '');
    return { unreadable: items.length, reason: `${items.length} left out: ${shown}.` };
  }

  // Tells the host only when what it reports changed.
  publish() {
    if (this.stopped) return;
    const result = this.build();
    const texts = {
      sessions: JSON.stringify(result.sessions), providers: JSON.stringify(result.providers), versions: JSON.stringify(result.versions), hooks: JSON.stringify(result.hooks),
    };
    this.result = result;
    if (Object.keys(texts).every((key) => texts[key] === this.published[key])) return;
    this.published = texts;
    if (!this.starting) this.onChange(result);
  }
}

module.exports = { Discovery, discoveryWanted };
