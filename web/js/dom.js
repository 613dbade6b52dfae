// Small DOM helpers shared by the renderers.

export function el(tag, className, parent) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (parent) parent.appendChild(node);
  return node;
}

export function setBounds(node, bounds) {
  if (!bounds) return;
  const [left, top, width, height] = bounds;
  const style = node.style;
  style.left = `${left}px`;
  style.top = `${top}px`;
  style.width = `${Math.max(0, width)}px`;
  style.height = `${Math.max(0, height)}px`;
}

// Shows a button sunk while the mouse button is down on it (and not once it leaves).
export function pressable(node) {
  if (node.dataset.pressable) return;
  node.dataset.pressable = '1';
  node.addEventListener('mousedown', (event) => {
    if (event.button !== 0) return;
    node.classList.add('pressed');
    const release = () => {
      node.classList.remove('pressed');
      document.removeEventListener('mouseup', release);
      node.removeEventListener('mouseleave', release);
    };
    document.addEventListener('mouseup', release);
    node.addEventListener('mouseleave', release);
  });
}

// Draws text with a selection of `length` characters from `start`, or a caret at
// `start` when length is 0 (positions in characters, as the host counts them).
export function textWithSelection(node, text, start, length) {
  const chars = [...(text ?? '')];
  const from = Math.max(0, Math.min(start ?? chars.length, chars.length));
  const count = Math.max(0, Math.min(length ?? 0, chars.length - from));
  node.replaceChildren();
  node.append(chars.slice(0, from).join(''));
  if (count > 0) {
    el('span', 'selection', node).textContent = chars.slice(from, from + count).join('');
  } else {
    el('span', 'caret', node);
  }
  node.append(chars.slice(from + count).join(''));
}

// Whether the host opened the control's list from the keyboard since the last state
// (its "dropDown" count grew); a count first seen opens nothing.
export function droppedByKey(node, control) {
  const count = String(control.dropDown ?? 0);
  const seen = node.dataset.dropDown;
  node.dataset.dropDown = count;
  return seen !== undefined && seen !== count;
}

// Sets textContent only when it changed, so the browser keeps selections stable.
export function setText(node, text) {
  const value = text ?? '';
  if (node.textContent !== value) node.textContent = value;
}

// Renders a caption with its "&" accelerator underlined ("&&" is a literal "&").
export function setCaption(node, caption) {
  const text = caption ?? '';
  if (node.dataset.caption === text) return;
  node.dataset.caption = text;
  node.replaceChildren();
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (c === '&' && text[i + 1] === '&') {
      node.append('&');
      i++;
    } else if (c === '&' && i + 1 < text.length) {
      const u = document.createElement('u');
      u.textContent = text[i + 1];
      node.append(u);
      i++;
    } else {
      node.append(c);
    }
  }
}

const COLORS = {
  clWindow: '#ffffff',
  clBtnFace: '#ece9e2',
  clInfoBk: '#ffffe1',
  clBlue: '#0000ff',
  clNavy: '#000080',
  clRed: '#c00000',
  clBlack: '#000000',
  clWhite: '#ffffff',
  clGray: '#808080',
  clSilver: '#c0c0c0',
  clMaroon: '#800000',
  clGreen: '#008000',
  clWindowText: '#000000',
  clHighlight: '#316ac5',
  clGrayText: '#8a8a8a',
};

export function cssColor(name) {
  if (!name) return '';
  if (COLORS[name]) return COLORS[name];
  if (/^#[0-9a-f]{6}$/i.test(name)) return name;
  return '';
}
