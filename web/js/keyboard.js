// Turns browser key events into the host's key messages: the virtual-key code (the
// browser's keyCode, the same numbers, numeric keypad keys included), the modifier
// flags, and the character the key makes, if any. Every key goes to the host; the
// browser's own shortcuts (F1-F12, Escape, Ctrl+Enter, Backspace navigation) are kept
// from the page so the desktop program gets them.

const CONTROL_CHARS = { Enter: '\r', Tab: '\t', Backspace: '\b', Escape: '\u001b' };

// Keys the browser may keep for itself but the program needs.
const ALLOWED_TO_BROWSER = new Set(['F12']);

export function keyMessage(event) {
  if (event.isComposing || event.key === 'Dead' || event.key === 'Unidentified') return null;
  const vk = event.keyCode || event.which || 0;
  if (vk === 0) return null;
  return {
    type: 'key',
    vk,
    shift: event.shiftKey,
    ctrl: event.ctrlKey,
    alt: event.altKey,
    char: keyChar(event),
  };
}

function keyChar(event) {
  const altGr = event.ctrlKey && event.altKey;
  if ((event.ctrlKey || event.altKey) && !altGr) return null;
  if (CONTROL_CHARS[event.key] !== undefined) return CONTROL_CHARS[event.key];
  // A printable key gives exactly one character (code point).
  if ([...event.key].length === 1) return event.key;
  return null;
}

export function keepFromBrowser(event) {
  if (ALLOWED_TO_BROWSER.has(event.key)) return false;
  // Copy from a message box or label stays possible.
  if (event.ctrlKey && !event.altKey && (event.key === 'c' || event.key === 'C')) return false;
  return true;
}
