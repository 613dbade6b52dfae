// The page: connects to the host, draws every state it sends and sends back what the
// person does. Every key goes to the host (menus opened with Alt+letter included); the
// focus is always where the host says.
import { clipForWait, renderAnimation } from './animation.js';
import { Connection } from './connection.js';
import { Renderer } from './render.js';
import { keepFromBrowser, keyMessage } from './keyboard.js';
import { closePopup, popupKey, popupOpen, popupState } from './popup.js';
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
      showConnection(null);
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

function onStatus({ connected, reason, refused, everOpened }) {
  if (connected || refused) return;  // the host's hello, or its refusal, tells
  if (!everOpened) explainRefusedConnection();
  else explainLostConnection(reason);
}

// A session that ended: when the host no longer answers, the system was closed (from
// "Sair" or on its machine) and reloading cannot bring it back.
async function explainLostConnection(reason) {
  let answers = true;
  try {
    await fetch(location.href, { method: 'HEAD', cache: 'no-store' });
  } catch {
    answers = false;
  }
  showConnection(answers
    ? reason || 'Conexão com o sistema encerrada. Recarregue a página para continuar.'
    : 'O sistema foi encerrado. Para usá-lo de novo, inicie-o outra vez e abra o endereço exibido ao iniciar.');
}

// A socket that never opened: the host is not running, or this page's link is not the
// one of the running session (an old or cut link). Asking for the page again tells.
async function explainRefusedConnection() {
  let status = 0;
  try {
    status = (await fetch(location.href, { method: 'HEAD', cache: 'no-store' })).status;
  } catch {
    status = 0;
  }
  showConnection(status === 403
    ? 'Este link não é válido para o sistema em execução. Use o endereço exibido quando o sistema foi iniciado.'
    : 'Não foi possível conectar ao sistema. Verifique se ele está em execução e use o endereço exibido quando ele foi iniciado.');
}

function showState(state) {
  app.state = state;
  renderer.render(state);
  document.body.classList.toggle('busy', state.cursor === -11 || Boolean(state.wait));
  const waitPanel = document.getElementById('wait-panel');
  waitPanel.hidden = !state.wait;
  if (state.wait) renderAnimation(waitPanel.querySelector('.wait-anim'), clipForWait(state.wait.kind), true);
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

document.addEventListener('keydown', (event) => {
  if (popupOpen() && popupKey(event)) {
    event.preventDefault();
    return;
  }
  // A list the page opened closes at a key; the host's own menu stays until it says.
  const shown = popupState();
  if (shown && !shown.hostKey) closePopup();
  if (keepFromBrowser(event)) event.preventDefault();
  const message = keyMessage(event);
  if (message) connection.send(message);
}, true);

// Releasing Alt (or F10) must not move the keyboard to the browser's own menu.
document.addEventListener('keyup', (event) => {
  if (event.key === 'Alt' || event.key === 'F10') event.preventDefault();
}, true);

document.addEventListener('paste', (event) => {
  const text = event.clipboardData ? event.clipboardData.getData('text') : '';
  if (text) connection.send({ type: 'type', text: text.replace(/\r?\n/g, '') });
  event.preventDefault();
});

document.addEventListener('vqr-notice', (event) => showToast(event.detail));

let resizeTimer = 0;
window.addEventListener('resize', () => {
  clearTimeout(resizeTimer);
  resizeTimer = setTimeout(sendSize, 150);
});

connection.open();
