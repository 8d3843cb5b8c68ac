'use strict';

// Small text rules shared by both providers' readers.

const TITLE_LIMIT = 180;
const segmenter = new Intl.Segmenter(undefined, { granularity: 'grapheme' });

const str = (value) => (typeof value === 'string' && value.length > 0 ? value : undefined);

// One display line: every run of white space becomes one space, cut to 180 user-perceived characters (the
// app cuts titles there too). Only the first 4 KiB is looked at: a pasted log must not cost more.
function cleanTitle(text) {
  if (typeof text !== 'string') return undefined;
  const line = text.slice(0, 4096).replace(/[\s\u0000-\u001f\u007f-\u009f]+/g, ' ').trim();
  if (line.length === 0) return undefined;
  if (line.length <= TITLE_LIMIT) return line;
  let out = '';
  let count = 0;
  for (const { segment } of segmenter.segment(line)) {
    if (count === TITLE_LIMIT) break;
    out += segment;
    count += 1;
  }
  return out.trimEnd();
}

// The text parts of a message's content (a string, or parts with "type" "text" / "input_text").
function contentText(content, skip = () => false) {
  if (typeof content === 'string') return content;
  if (!Array.isArray(content)) return null;
  const texts = content
    .filter((part) => part && (part.type === 'text' || part.type === 'input_text') && typeof part.text === 'string')
    .map((part) => part.text)
    .filter((text) => !skip(text.trimStart()));
  return texts.length > 0 ? texts.join('\n') : null;
}

function timeOf(value) {
  const ms = typeof value === 'string' ? Date.parse(value) : NaN;
  return Number.isFinite(ms) ? ms : 0;
}

module.exports = { cleanTitle, contentText, timeOf, str, TITLE_LIMIT };
