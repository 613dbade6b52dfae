// A drop-down list shown under an anchor element: used by combo boxes, grid pick
// lists and menus. Only one popup is open at a time; a click elsewhere closes it.
import { el, setCaption } from './dom.js';

let current = null;

export function closePopup() {
  if (current) {
    current.node.remove();
    current = null;
  }
}

export function popupOpen() {
  return current !== null;
}

// What the open popup shows: its hostKey tells a menu the host holds open (whose keys
// go to the host) from a list the page opened itself.
export function popupState() {
  return current ? { hostKey: current.hostKey } : null;
}

// items: [{label, enabled, onChoose, hasSubmenu}]; returns the popup node.
// onDismiss runs when a click elsewhere closes the popup.
// letters: a menu, whose underlined letters choose its items (and no key goes past it).
export function openPopup(anchor, items, { className = '', selected = -1, onKey = null, hostKey = null, onDismiss = null, letters = false } = {}) {
  closePopup();
  const rect = anchor.getBoundingClientRect();
  const node = el('div', `popup ${className}`, document.body);
  node.style.left = `${Math.round(rect.left)}px`;
  node.style.top = `${Math.round(rect.bottom)}px`;
  node.style.minWidth = `${Math.round(rect.width)}px`;
  items.forEach((item, index) => {
    const row = el('div', 'popup-item', node);
    setCaption(row, item.label);
    if (item.enabled === false) row.classList.add('disabled');
    if (index === selected) row.classList.add('selected');
    row.addEventListener('mousedown', (event) => {
      event.preventDefault();
      event.stopPropagation();
      if (item.enabled === false) return;
      closePopup();
      item.onChoose();
    });
  });
  current = { node, items, selected, onKey, anchor, hostKey, onDismiss, letters };
  // Keep the list inside the viewport.
  const box = node.getBoundingClientRect();
  if (box.bottom > window.innerHeight) node.style.top = `${Math.max(0, rect.top - box.height)}px`;
  if (box.right > window.innerWidth) node.style.left = `${Math.max(0, window.innerWidth - box.width)}px`;
  return node;
}

// Keyboard inside a popup the page opened: Up/Down move, Enter chooses, Escape closes.
// Returns true when the key was used by the popup (never for the host's menus).
export function popupKey(event) {
  if (!current || current.hostKey) return false;
  const { items, node } = current;
  const rows = node.querySelectorAll('.popup-item');
  const move = (delta) => {
    let i = current.selected;
    for (let n = 0; n < items.length; n++) {
      i = (i + delta + items.length) % items.length;
      if (items[i].enabled !== false) break;
    }
    rows.forEach((r) => r.classList.remove('selected'));
    if (rows[i]) rows[i].classList.add('selected');
    current.selected = i;
  };
  switch (event.key) {
    case 'ArrowDown': move(1); return true;
    case 'ArrowUp': move(-1); return true;
    case 'Enter': {
      const item = items[current.selected];
      if (item && item.enabled !== false) {
        closePopup();
        item.onChoose();
      }
      return true;
    }
    case 'Escape': closePopup(); return true;
    default:
      if (current.onKey) return current.onKey(event);
      if (current.letters) return letterKey(event, rows);
      return false;
  }
}

// The accelerator letter of a caption ("&Fórmula" gives "F"; "&&" is a literal "&").
function acceleratorOf(label) {
  const match = /(?:^|[^&])&([^&])/.exec(label || '');
  return match ? match[1].toLocaleUpperCase('pt-BR') : '';
}

// In a menu, a letter chooses the enabled item it underlines; when several share it,
// each press selects the next of them. Every key is kept from what lies behind.
function letterKey(event, rows) {
  if ([...event.key].length !== 1 || event.ctrlKey) return true;
  const letter = event.key.toLocaleUpperCase('pt-BR');
  const { items } = current;
  const matching = items.map((item, index) => index)
    .filter((index) => items[index].enabled !== false && acceleratorOf(items[index].label) === letter);
  if (matching.length === 1) {
    const item = items[matching[0]];
    closePopup();
    item.onChoose();
  } else if (matching.length > 1) {
    const next = matching.find((index) => index > current.selected) ?? matching[0];
    rows.forEach((r) => r.classList.remove('selected'));
    rows[next].classList.add('selected');
    current.selected = next;
  }
  return true;
}

document.addEventListener('mousedown', (event) => {
  if (!current || current.node.contains(event.target) || current.anchor.contains(event.target)) return;
  const { onDismiss } = current;
  closePopup();
  if (onDismiss) onDismiss();
}, true);
