// The page: connects to the host, draws every state it sends and sends back what the
// person does. Every key goes to the host; the focus is always where the host says.
import { Connection } from './connection.js';
import { Renderer } from './render.js';
import { keepFromBrowser, keyMessage } from './keyboard.js';
import { closePopup, popupKey, popupOpen } from './popup.js';
import { acceleratorItem, openMenuItem } from './menu.js';
import { DocumentOpener } from './documents.js';

const app = {
  state: null,
  toastTimer: 0,
};
const documents = new DocumentOpener(showToast);

const connection = new Connection({ onMessage, onStatus });
const renderer = new Renderer({
  frame: document.getElementById('frame'),
  modalLayer: document.getElementById('modal-layer'),
  send: (message) => connection.send(message),
});

function onMessage(message) {
  switch (message.type) {
    case 'hello':
      sendSize();
      break;
    case 'state':
      showState(message);
      break;
    case 'refused':
      showConnection(message.text || 'Esta sessão está aberta em outra aba.');
      break;
    default:
      break;
  }
}

function onStatus({ connected, reason, refused }) {
  if (connected) {
    showConnection(null);
  } else if (!refused) {
    showConnection(reason || 'Conexão com o sistema encerrada. Recarregue a página para continuar.');
  }
}

function showState(state) {
  app.state = state;
  renderer.render(state);
  document.body.classList.toggle('busy', state.cursor === -11 || Boolean(state.wait));
  document.getElementById('wait-panel').hidden = !state.wait;
  if (state.error) showToast(state.error);
  documents.update(state.documents || []);
  document.body.dataset.seq = String(state.seq ?? '');
  document.body.dataset.idle = String(Boolean(state.idle));
}

// Shows a text, or a node (a text with a link), for a few seconds.
function showToast(content) {
  const toast = document.getElementById('toast');
  toast.replaceChildren(content);
  toast.hidden = false;
  clearTimeout(app.toastTimer);
  app.toastTimer = setTimeout(() => { toast.hidden = true; }, 4000);
}

function showConnection(text) {
  const node = document.getElementById('connection');
  node.hidden = !text;
  node.textContent = text || '';
}

function sendSize() {
  connection.send({ type: 'resize', width: window.innerWidth, height: window.innerHeight });
}

// Alt+letter opens the menu of the active window (or the frame) with that accelerator.
function openMenuByAccelerator(event) {
  if (!app.state || !event.altKey || event.ctrlKey || event.key.length !== 1) return false;
  const windows = app.state.windows || [];
  const active = windows.find((w) => w.name === app.state.activeForm);
  for (const win of [active, windows[0]]) {
    const item = win && acceleratorItem(win.menu, event.key);
    if (!item) continue;
    const anchor = document.querySelector(`[data-name="${CSS.escape(item.name)}"]`);
    if (anchor && item.items && item.items.length) {
      openMenuItem(anchor, win.name, item, (m) => connection.send(m));
      return true;
    }
  }
  return false;
}

document.addEventListener('keydown', (event) => {
  if (popupOpen() && popupKey(event)) {
    event.preventDefault();
    return;
  }
  closePopup();
  if (openMenuByAccelerator(event)) {
    event.preventDefault();
    return;
  }
  if (keepFromBrowser(event)) event.preventDefault();
  const message = keyMessage(event);
  if (message) connection.send(message);
}, true);

document.addEventListener('paste', (event) => {
  const text = event.clipboardData ? event.clipboardData.getData('text') : '';
  if (text) connection.send({ type: 'type', text: text.replace(/\r?\n/g, '') });
  event.preventDefault();
});

let resizeTimer = 0;
window.addEventListener('resize', () => {
  clearTimeout(resizeTimer);
  resizeTimer = setTimeout(sendSize, 150);
});

connection.open();
