// Hints as tooltips: resting the pointer on an element with a hint for a moment shows
// the text in a small box under the pointer, as desktop programs do; moving away,
// pressing a button or a key hides it. Disabled controls show their hints too.
const DELAY_MS = 450;

let box = null;
let timer = 0;
let current = null;
let pointer = { x: 0, y: 0 };

// Gives an element its hint (an empty hint removes it).
export function setHint(node, hint) {
  if (hint) {
    if (node.dataset.hint !== hint) node.dataset.hint = hint;
    node.setAttribute('aria-label', hint);
  } else if (node.dataset.hint !== undefined) {
    delete node.dataset.hint;
    node.removeAttribute('aria-label');
  }
}

function hide() {
  clearTimeout(timer);
  timer = 0;
  if (box) box.hidden = true;
}

function show(node) {
  if (!node.isConnected || !node.dataset.hint) return;
  if (!box) {
    box = document.createElement('div');
    box.className = 'tooltip';
    box.setAttribute('role', 'tooltip');
    document.body.appendChild(box);
  }
  box.textContent = node.dataset.hint;
  box.hidden = false;
  const width = box.offsetWidth;
  const height = box.offsetHeight;
  box.style.left = `${Math.max(0, Math.min(pointer.x + 2, window.innerWidth - width - 2))}px`;
  const below = pointer.y + 20;
  box.style.top = `${below + height > window.innerHeight ? pointer.y - height - 4 : below}px`;
}

document.addEventListener('mouseover', (event) => {
  const node = event.target instanceof Element ? event.target.closest('[data-hint]') : null;
  if (node === current) return;
  hide();
  current = node;
  if (node) timer = setTimeout(() => show(node), DELAY_MS);
});

document.addEventListener('mousemove', (event) => {
  pointer = { x: event.clientX, y: event.clientY };
});

document.addEventListener('mousedown', () => { current = null; hide(); }, true);
document.addEventListener('keydown', hide, true);
