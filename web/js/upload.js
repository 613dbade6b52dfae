// The file chooser of a button that asks for a file (its state's "chooseFile"): the
// host counts the button's clicks, and each new count opens the browser's chooser.
// The chosen file is sent to the host (POST /upload with the session token), which
// stores it and gives its path to the edit the button names; a refusal is announced
// with the host's text.
const UPLOAD_FAILED = 'Não foi possível enviar o arquivo ao sistema.';

function announce(text) {
  document.dispatchEvent(new CustomEvent('vqr-notice', { detail: text }));
}

async function upload(file, target) {
  const token = new URLSearchParams(location.search).get('token') || '';
  const query = `target=${encodeURIComponent(target)}&name=${encodeURIComponent(file.name)}`;
  try {
    const answer = await fetch(`/upload?${query}`, {
      method: 'POST',
      headers: { 'X-Session-Token': token, 'Content-Type': 'application/octet-stream' },
      body: file,
    });
    if (!answer.ok) announce((await answer.text()) || UPLOAD_FAILED);
  } catch {
    announce(UPLOAD_FAILED);
  }
}

function chooseFile(chooser, target) {
  const input = document.createElement('input');
  input.type = 'file';
  input.accept = chooser.accept || '';
  input.hidden = true;
  input.addEventListener('change', () => {
    const [file] = input.files;
    input.remove();
    if (file) upload(file, target);
  });
  input.addEventListener('cancel', () => input.remove());
  document.body.appendChild(input);
  input.click();
}

// Opens the chooser when the button's count of requests changed since it was drawn.
export function offerFile(node, chooser, path) {
  const count = String(chooser.requests ?? 0);
  const seen = node.dataset.fileRequests;
  node.dataset.fileRequests = count;
  if (seen === undefined || seen === count) return;
  chooseFile(chooser, `${path.slice(0, path.indexOf('.'))}.${chooser.edit}`);
}
