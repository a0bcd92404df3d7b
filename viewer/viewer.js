// The page of `tkdec view` and of `tkdec decode --format html`: a table of
// the tool's JSON Lines records with filters, a timeline and a record's
// details. The records come embedded in the page or, served, as a stream
// of server-sent events that resumes where it stopped. Every text from a
// record is untrusted and goes into the page as text only.
'use strict';

const KINDS = ['print', 'alarm', 'exception', 'message', 'trace', 'unknown_channel', 'unknown_token'];
const ROW = 22;
const MAX_SPACER = 8e6;  // taller elements are unreliable; beyond it the scroll position is scaled

const $ = (id) => document.getElementById(id);
const el = (tag, cls, text) => {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text !== undefined) e.textContent = text;
  return e;
};

// All records in arrival order; each keeps its JSON line for the details.
const records = [];
const counts = { kind: new Map(), group: new Map(), ch: new Map() };
const channelNames = new Map();
const summary = { header: null, decoded: 0, unknownTokens: 0, unknownChannels: 0, skipped: null, ended: false };
let view = [];          // indices into records that pass the filters
let filter = null;      // compiled from the controls
let selected = -1;      // index into records
let following = true;
let unseen = 0;
let detailsShown = false;
const frames = [];      // [highest record number on screen, ms], one entry per change, for latency checks

// Host time "2026-12-06T10:00:00.250000000Z" as milliseconds since 1970.
function timeMs(text) {
  return Date.parse(text.slice(0, 19) + 'Z') + Number(text.slice(20, 29)) / 1e6;
}

function bump(map, key) { map.set(key, (map.get(key) || 0) + 1); }

function addLine(line) {
  if (!line) return;
  let o;
  try { o = JSON.parse(line); } catch { return; }
  if (o.schema) { summary.header = o; return; }
  if (o.summary) { Object.assign(summary, o.summary); return; }
  if (typeof o.record !== 'number') return;
  const r = {
    n: records.length + 1, record: o.record, time: o.time || null, t: o.time ? timeMs(o.time) : NaN,
    ch: o.channel, label: o.label, kind: o.kind, group: o.group || '', text: o.text,
    source: o.file !== undefined ? o.file + ':' + o.line : '', line,
  };
  records.push(r);
  bump(counts.kind, r.kind);
  bump(counts.group, r.group);
  bump(counts.ch, String(r.ch));
  channelNames.set(String(r.ch), r.label === null ? r.ch + ' (unknown channel)' : r.ch + ' ' + r.label);
  if (r.kind === 'unknown_token') summary.unknownTokens++;
  if (r.kind === 'unknown_channel') summary.unknownChannels++;
  if (filter && passes(r)) view.push(records.length - 1);
}

// ---- filters, kept in the URL's fragment so that a view can be shared

function readHash() {
  const p = new URLSearchParams(location.hash.slice(1));
  for (const pick of document.querySelectorAll('.pick')) {
    const wanted = new Set((p.get(pick.dataset.key) || '').split(',').filter(Boolean));
    pick.wanted = wanted;
    for (const box of pick.querySelectorAll('input')) box.checked = wanted.has(box.value);
  }
  for (const id of ['q', 'from', 'to', 't0', 't1']) $(id).value = p.get(id) || '';
  $('re').checked = p.get('re') === '1';
  $('delta').checked = p.get('time') === 'delta';
  const sel = Number(p.get('sel'));
  selected = sel > 0 ? sel - 1 : -1;
}

function writeHash() {
  const p = new URLSearchParams();
  for (const pick of document.querySelectorAll('.pick')) {
    if (pick.wanted.size) p.set(pick.dataset.key, [...pick.wanted].join(','));
  }
  for (const id of ['q', 'from', 'to', 't0', 't1']) if ($(id).value) p.set(id, $(id).value);
  if ($('re').checked) p.set('re', '1');
  if ($('delta').checked) p.set('time', 'delta');
  if (selected >= 0) p.set('sel', String(selected + 1));
  const hash = p.toString();
  history.replaceState(null, '', hash ? '#' + hash : location.pathname + location.search);
}

function parseTime(text) {
  if (!text) return NaN;
  const ms = Date.parse(text.endsWith('Z') ? text : text + 'Z');
  return Number.isNaN(ms) ? NaN : ms + (/\.\d{4,}/.test(text) ? Number('0.' + text.split('.')[1].slice(3, 9).replace('Z', '')) : 0);
}

function compileFilter() {
  const picks = {};
  for (const pick of document.querySelectorAll('.pick')) picks[pick.dataset.key] = pick.wanted;
  const q = $('q').value;
  let search = null;
  $('q').style.outline = '';
  if (q) {
    try {
      search = new RegExp($('re').checked ? q : q.replace(/[.*+?^${}()|[\]\\]/g, '\\$&'), 'gi');
    } catch {
      $('q').style.outline = '1px solid var(--red)';
    }
  }
  const num = (id) => ($(id).value.trim() === '' ? NaN : Number($(id).value));
  filter = { ...picks, search, from: num('from'), to: num('to'), t0: parseTime($('t0').value), t1: parseTime($('t1').value) };
}

function passes(r) {
  const f = filter;
  if (f.kind.size && !f.kind.has(r.kind)) return false;
  if (f.group.size && !f.group.has(r.group)) return false;
  if (f.ch.size && !f.ch.has(String(r.ch))) return false;
  if (r.n < f.from || r.n > f.to) return false;
  if (!Number.isNaN(f.t0) && !(r.t >= f.t0)) return false;
  if (!Number.isNaN(f.t1) && !(r.t <= f.t1)) return false;
  if (f.search) { f.search.lastIndex = 0; if (!f.search.test(r.text)) return false; }
  return true;
}

function refilter() {
  compileFilter();
  view = [];
  for (let i = 0; i < records.length; i++) if (passes(records[i])) view.push(i);
  $('shown').textContent = view.length + ' of ' + records.length + ' shown';
  writeHash();
  layout();
  render();
  showDetails();
}

function fillPicks() {
  for (const pick of document.querySelectorAll('.pick')) {
    const key = pick.dataset.key;
    const box = pick.querySelector('div');
    const entries = [...counts[key].entries()];
    if (key === 'kind') entries.sort((a, b) => KINDS.indexOf(a[0]) - KINDS.indexOf(b[0]));
    else if (key === 'ch') entries.sort((a, b) => a[0] - b[0]);
    else entries.sort((a, b) => a[0].localeCompare(b[0]));
    box.replaceChildren(...entries.map(([value, count]) => {
      const label = el('label');
      const input = el('input');
      input.type = 'checkbox';
      input.value = value;
      input.checked = pick.wanted.has(value);
      const name = key === 'ch' ? channelNames.get(value) : value || '(no group)';
      label.append(input, el('span', key === 'kind' ? 'k-' + value : '', name), el('span', 'count', String(count)));
      return label;
    }));
    pick.querySelector('summary').textContent = key === 'ch' ? 'channel' : key;
    if (pick.wanted.size) pick.querySelector('summary').textContent += ' (' + pick.wanted.size + ')';
  }
}

// ---- the table: a fixed pool of rows moved over a tall spacer

const scroller = $('scroller');
const rowsBox = $('rows');
const rowsInner = $('rows-inner');
const pool = [];

function layout() {
  $('spacer').style.height = Math.min(view.length * ROW, MAX_SPACER) + 'px';
}

function firstRow() {
  const total = view.length * ROW;
  if (total <= MAX_SPACER) return [Math.floor(scroller.scrollTop / ROW), scroller.scrollTop % ROW];
  const visible = Math.floor(scroller.clientHeight / ROW);
  const range = MAX_SPACER - scroller.clientHeight;
  return [Math.round(scroller.scrollTop / range * (view.length - visible)), 0];
}

function timeText(i, r) {
  if (!r.time) return '-';
  if (!$('delta').checked) return r.time.slice(11, 29);
  const before = view[i - 1] === undefined ? null : records[view[i - 1]];
  const d = before && !Number.isNaN(before.t) && r.t >= before.t ? (r.t - before.t) / 1000 : 0;
  return '+' + d.toFixed(6);
}

// Puts text into cell with the search's matches marked, as text nodes only.
function fillText(cell, text) {
  const re = filter && filter.search;
  if (!re) { cell.textContent = text; return; }
  cell.textContent = '';
  re.lastIndex = 0;
  let at = 0;
  for (let m; (m = re.exec(text)) !== null && at <= text.length;) {
    if (m[0] === '') { re.lastIndex++; continue; }
    cell.append(text.slice(at, m.index), el('mark', '', m[0]));
    at = m.index + m[0].length;
  }
  cell.append(text.slice(at));
}

function render() {
  const [first, shift] = firstRow();
  const count = Math.ceil(scroller.clientHeight / ROW) + 1;
  while (pool.length < count) {
    const row = el('div', 'row');
    for (let c = 0; c < 7; c++) row.append(el('span'));
    row.addEventListener('click', () => select(row.index));
    rowsInner.append(row);
    pool.push(row);
  }
  rowsBox.style.transform = `translateY(${scroller.scrollTop}px)`;
  rowsInner.style.transform = `translateY(${-shift}px)`;
  let highest = 0;
  for (let k = 0; k < pool.length; k++) {
    const row = pool[k];
    const i = first + k;
    if (k >= count || i >= view.length) { row.hidden = true; continue; }
    const r = records[view[i]];
    row.hidden = false;
    row.index = view[i];
    row.dataset.n = r.n;
    row.className = 'row k-' + r.kind + (view[i] === selected ? ' sel' : '');
    const c = row.children;
    c[0].textContent = r.record;
    c[1].textContent = timeText(i, r);
    c[2].textContent = r.label === null ? r.ch + ' (unknown)' : r.label;
    c[3].textContent = r.kind;
    c[4].textContent = r.group;
    c[5].textContent = r.source;
    fillText(c[6], r.kind === 'unknown_token' ? unknownTokenText(r) : r.text);
    highest = Math.max(highest, r.n);
  }
  if (!frames.length || frames[frames.length - 1][0] < highest) frames.push([highest, Date.now()]);
}

// The terminal's marker for a token the decoder does not know.
function unknownTokenText(r) {
  const o = JSON.parse(r.line);
  const bytes = o.payload.match(/../g) || [];
  return `<unknown token ${o.id} on channel ${o.channel}, ${bytes.length} payload byte${bytes.length === 1 ? '' : 's'}` +
    (bytes.length ? ': ' + bytes.join(' ') : '') + '>';
}

let pending = false;
function schedule() {
  if (pending) return;
  pending = true;
  requestAnimationFrame(() => { pending = false; render(); });
}

// Whether the table follows the tail is the user's choice, made by
// scrolling; the page's own scrolling to the tail does not change it.
let scrolledToTail = false;
scroller.addEventListener('scroll', () => {
  if (scrolledToTail) { scrolledToTail = false; schedule(); return; }
  following = scroller.scrollTop + scroller.clientHeight >= scroller.scrollHeight - ROW;
  if (following) { unseen = 0; $('badge').hidden = true; }
  schedule();
});
window.addEventListener('resize', () => { drawTimeline(); schedule(); });

function scrollToView(i) {
  const total = view.length * ROW;
  scroller.scrollTop = total <= MAX_SPACER ? i * ROW
    : i / Math.max(1, view.length - Math.floor(scroller.clientHeight / ROW)) * (MAX_SPACER - scroller.clientHeight);
}

$('badge').addEventListener('click', () => { scroller.scrollTop = scroller.scrollHeight; });

// ---- a record's details: meta, source, payload and the long-JSON tree

function select(index) {
  selected = index;
  writeHash();
  render();
  showDetails();
}

function treeNode(key, value, depth) {
  // Long JSON writes a typed value as {"typename": T, "value": V} and an
  // enumerator or number as {"text": E, "number": N}.
  let type = '';
  if (value && typeof value === 'object' && !Array.isArray(value) && 'typename' in value) {
    type = value.typename;
    const { typename, ...rest } = value;
    value = 'value' in value ? value.value : Object.keys(rest).length ? rest : '(no data)';
  }
  if (value && typeof value === 'object' && !Array.isArray(value) && 'number' in value &&
      Object.keys(value).every((k) => k === 'number' || k === 'text')) {
    value = 'text' in value ? `${value.text} (${value.number})` : String(value.number);
  }
  const head = [el('span', 'key', key)];
  if (type) head.push(el('span', 'type', ' (' + type + ')'));
  if (value === null || typeof value !== 'object') {
    const leaf = el('div', 'leaf');
    leaf.append(...head, ' = ', el('span', 'value', typeof value === 'string' ? value : JSON.stringify(value)));
    return leaf;
  }
  const node = el('details');
  node.open = depth < 2;
  const sum = el('summary');
  const entries = Array.isArray(value) ? value.map((v, i) => ['[' + i + ']', v]) : Object.entries(value);
  sum.append(...head, el('span', 'type', Array.isArray(value) ? ` [${value.length}]` : ` {${entries.length}}`));
  node.append(sum, ...entries.map(([k, v]) => treeNode(k, v, depth + 1)));
  return node;
}

function showDetails() {
  const box = $('details');
  const r = records[selected];
  detailsShown = r !== undefined;
  if (!r) { box.replaceChildren(el('p', 'dim', 'Select a record.')); return; }
  const o = JSON.parse(r.line);
  const dl = el('dl');
  const add = (name, value) => { if (value !== undefined && value !== '') dl.append(el('dt', '', name), el('dd', '', String(value))); };
  add('record', o.record);
  add('kind', o.kind);
  add('channel', o.channel + (o.label === null ? ' (unknown)' : ' ' + o.label));
  add('id', o.id);
  add('group', o.group);
  add('time', o.time);
  add('offset', o.offset);
  add('source', o.file !== undefined ? o.file + ':' + o.line : '(none)');
  add('payload', o.payload !== undefined ? (o.payload.match(/../g) || []).join(' ') || '(empty)' : '(decoded)');
  const text = el('pre', 'k-' + o.kind);
  text.textContent = r.kind === 'unknown_token' ? unknownTokenText(r) : o.text;
  const tree = el('div', 'tree');
  tree.append(o.fields ? treeNode('fields', o.fields, 0) : el('p', 'dim', 'no structure'));
  box.replaceChildren(dl, text, tree);
}

// ---- the timeline: records per interval, stacked by kind

const canvas = $('timeline');
let buckets = null;  // {axis: 't'|'n', lo, hi, width, rows: [counts per kind], alarm: [bool]}
let drag = null;

function axisOf(r, axis) { return axis === 't' ? r.t : r.n; }

function computeBuckets() {
  const width = Math.max(1, Math.floor(canvas.clientWidth / 4));
  const timed = records.length > 0 && records.every((r) => !Number.isNaN(r.t));
  const axis = timed ? 't' : 'n';
  let lo = Infinity, hi = -Infinity;
  for (const r of records) { const v = axisOf(r, axis); if (v < lo) lo = v; if (v > hi) hi = v; }
  if (!records.length) { lo = 0; hi = 1; }
  if (hi <= lo) hi = lo + 1;
  const rows = Array.from({ length: width }, () => new Uint32Array(KINDS.length));
  const marked = new Uint8Array(width);
  for (const r of records) {
    const b = Math.min(width - 1, Math.floor((axisOf(r, axis) - lo) / (hi - lo) * width));
    rows[b][KINDS.indexOf(r.kind)]++;
    if (r.kind === 'alarm' || r.kind === 'exception') marked[b] = 1;
  }
  buckets = { axis, lo, hi, width, rows, marked };
}

function drawTimeline() {
  computeBuckets();
  const dpr = window.devicePixelRatio || 1;
  canvas.width = canvas.clientWidth * dpr;
  canvas.height = canvas.clientHeight * dpr;
  const g = canvas.getContext('2d');
  g.setTransform(dpr, 0, 0, dpr, 0, 0);
  const h = canvas.clientHeight, w = canvas.clientWidth, bw = w / buckets.width;
  g.clearRect(0, 0, w, h);
  let most = 1;
  for (const row of buckets.rows) most = Math.max(most, row.reduce((a, b) => a + b, 0));
  const styles = getComputedStyle(document.documentElement);
  const colours = KINDS.map((k) => styles.getPropertyValue('--k-' + k).trim() || '#888');
  const top = 8;
  buckets.rows.forEach((row, b) => {
    let y = h;
    row.forEach((n, k) => {
      if (!n) return;
      const bar = n / most * (h - top);
      g.fillStyle = colours[k];
      g.fillRect(b * bw, y - bar, Math.max(1, bw - 1), bar);
      y -= bar;
    });
    if (buckets.marked[b]) {
      g.fillStyle = styles.getPropertyValue('--red').trim();
      g.beginPath();
      g.moveTo(b * bw, 0); g.lineTo(b * bw + bw, 0); g.lineTo(b * bw + bw / 2, top - 1);
      g.fill();
    }
  });
  const [a, z] = rangeOnAxis();
  if (a !== null || drag) {
    const x0 = drag ? Math.min(drag.x0, drag.x1) : (a - buckets.lo) / (buckets.hi - buckets.lo) * w;
    const x1 = drag ? Math.max(drag.x0, drag.x1) : (z - buckets.lo) / (buckets.hi - buckets.lo) * w;
    g.fillStyle = 'rgba(120,160,220,0.25)';
    g.fillRect(x0, 0, Math.max(1, x1 - x0), h);
  }
}

function rangeOnAxis() {
  if (!filter || !buckets) return [null, null];
  const [a, z] = buckets.axis === 't' ? [filter.t0, filter.t1] : [filter.from, filter.to];
  if (Number.isNaN(a) && Number.isNaN(z)) return [null, null];
  return [Number.isNaN(a) ? buckets.lo : a, Number.isNaN(z) ? buckets.hi : z];
}

function valueAt(x) {
  return buckets.lo + Math.max(0, Math.min(1, x / canvas.clientWidth)) * (buckets.hi - buckets.lo);
}

function isoOf(ms) {
  const whole = Math.floor(ms);
  const ns = String(Math.round((ms - whole) * 1e6)).padStart(6, '0');
  return new Date(whole).toISOString().slice(0, 23) + ns.slice(0, 6) + 'Z';
}

canvas.addEventListener('mousedown', (e) => { drag = { x0: e.offsetX, x1: e.offsetX }; });
canvas.addEventListener('mousemove', (e) => { if (drag) { drag.x1 = e.offsetX; drawTimeline(); } });
window.addEventListener('mouseup', (e) => {
  if (!drag) return;
  const d = drag;
  drag = null;
  const x1 = e.target === canvas ? e.offsetX : d.x1;
  if (Math.abs(x1 - d.x0) < 3) {
    // A click: jump to the first shown record of that bar.
    const b = Math.floor(d.x0 / canvas.clientWidth * buckets.width);
    const start = buckets.lo + b / buckets.width * (buckets.hi - buckets.lo);
    const i = view.findIndex((k) => axisOf(records[k], buckets.axis) >= start);
    if (i >= 0) { following = false; scrollToView(i); select(view[i]); }
    drawTimeline();
    return;
  }
  const a = valueAt(Math.min(d.x0, x1)), z = valueAt(Math.max(d.x0, x1));
  if (buckets.axis === 't') { $('t0').value = isoOf(a); $('t1').value = isoOf(z); }
  else { $('from').value = String(Math.ceil(a)); $('to').value = String(Math.floor(z)); }
  refilter();
  drawTimeline();
});

// ---- summary line and live updates

function showSummary() {
  const h = summary.header;
  const parts = [records.length + ' records', summary.unknownTokens + ' unknown tokens',
    summary.unknownChannels + ' unknown channels',
    'skipped damage: ' + (summary.skipped === null ? (summary.ended ? '0 bytes' : 'so far none reported') : summary.skipped + ' bytes')];
  if (h) parts.push(h.capture_build === null ? 'capture names no build' : h.build_match ? 'build matches the decoder' : 'build differs from the decoder');
  $('summary').textContent = parts.join(' · ');
  $('summary').className = h && !h.build_match ? 'k-alarm' : '';
}

let timelineDue = 0;
function afterLines(added) {
  if (!added) return;
  if (following) {
    layout();
    const tail = scroller.scrollHeight - scroller.clientHeight;
    if (Math.abs(scroller.scrollTop - tail) >= 1) {
      scrolledToTail = true;
      scroller.scrollTop = tail;
    }
  } else {
    unseen += added;
    $('badge').hidden = false;
    $('badge').textContent = unseen + ' new';
    layout();
  }
  $('shown').textContent = view.length + ' of ' + records.length + ' shown';
  showSummary();
  schedule();
  if (selected >= 0 && !detailsShown && records[selected]) { scrollToView(Math.max(0, view.indexOf(selected))); showDetails(); }
  const now = Date.now();
  if (now >= timelineDue) {
    timelineDue = now + 250;
    setTimeout(() => { fillPicks(); drawTimeline(); }, 0);
  }
}

function connect() {
  const source = new EventSource('events');
  source.onmessage = (e) => {
    const before = view.length;
    for (const line of e.data.split('\n')) addLine(line);
    $('status').textContent = 'live';
    afterLines(view.length - before);
  };
  source.addEventListener('summary', (e) => {
    Object.assign(summary, JSON.parse(e.data));
    $('status').textContent = summary.ended ? 'capture ended' : 'live';
    showSummary();
  });
  source.onerror = () => { $('status').textContent = 'reconnecting…'; };
  window.tkviewer.source = source;
}

function start() {
  readHash();
  const embedded = $('tk-records').textContent;
  if (embedded.trim()) {
    for (const line of embedded.split('\n')) addLine(line);
    summary.ended = true;
  }
  fillPicks();
  refilter();
  showSummary();
  drawTimeline();
  if (selected >= 0) scrollToView(Math.max(0, view.indexOf(selected)));
  if (!embedded.trim() && location.protocol.startsWith('http')) connect();
  else $('status').textContent = 'offline';
}

document.querySelectorAll('.pick').forEach((pick) => pick.addEventListener('change', (e) => {
  if (e.target.checked) pick.wanted.add(e.target.value); else pick.wanted.delete(e.target.value);
  fillPicks();
  refilter();
  drawTimeline();
}));
for (const id of ['q', 're', 'from', 'to', 't0', 't1', 'delta']) $(id).addEventListener('input', () => { refilter(); drawTimeline(); });
$('filters').addEventListener('submit', (e) => e.preventDefault());
$('clear').addEventListener('click', () => { location.hash = ''; readHash(); fillPicks(); refilter(); drawTimeline(); });
window.addEventListener('hashchange', () => { readHash(); fillPicks(); refilter(); drawTimeline(); });

// For the tests and the benchmark: the state, read only.
window.tkviewer = { records, get view() { return view; }, frames, summary, source: null };
start();
