// The system animations a TAnimate plays, drawn here as SVG and moved by CSS keyframes
// (app.css), so no clip file is needed: "findFile", a magnifier sweeping over a
// folder, and "copyFiles", a sheet flying from one folder to another. Any other clip
// shows a spinning wheel. The drawing plays while the host says the animation is
// active and stands still (its first frame) otherwise.
const SVG = 'http://www.w3.org/2000/svg';

function shape(parent, tag, attributes) {
  const node = document.createElementNS(SVG, tag);
  for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, value);
  parent.appendChild(node);
  return node;
}

function folder(parent, x, y) {
  shape(parent, 'path', {
    class: 'folder',
    d: `M${x} ${y + 4} h8 l3 3 h13 v15 h-24 z`,
  });
}

function sheet(parent, x, y) {
  shape(parent, 'path', { class: 'sheet', d: `M${x} ${y} h10 l4 4 v12 h-14 z` });
  for (let i = 0; i < 3; i++) shape(parent, 'path', { d: `M${x + 3} ${y + 6 + i * 3} h8`, stroke: '#9aa6b6' });
}

const DRAWINGS = {
  findFile(svg) {
    folder(svg, 10, 14);
    sheet(svg, 16, 8);
    const magnifier = shape(svg, 'g', { class: 'magnifier' });
    shape(magnifier, 'circle', { class: 'lens', cx: 14, cy: 18, r: 7 });
    shape(magnifier, 'path', { class: 'handle', d: 'M19 23 l6 6' });
  },
  copyFiles(svg) {
    folder(svg, 2, 16);
    folder(svg, 46, 16);
    const flying = shape(svg, 'g', { class: 'flying' });
    sheet(flying, 8, 8);
  },
};

// Draws the clip into `node` once and plays or stops it.
export function renderAnimation(node, clip, active) {
  const drawing = DRAWINGS[clip];
  if (node.dataset.clip !== clip) {
    node.dataset.clip = clip;
    node.replaceChildren();
    if (drawing) {
      const svg = shape(node, 'svg', { class: 'animation', viewBox: '0 0 72 40', width: 72, height: 40, role: 'img' });
      drawing(svg);
    } else {
      node.appendChild(Object.assign(document.createElement('div'), { className: 'spinner' }));
    }
  }
  node.classList.toggle('active', Boolean(active));
  const svg = node.querySelector('.animation');
  if (svg) svg.classList.toggle('active', Boolean(active));
  const spinner = node.querySelector('.spinner');
  if (spinner) spinner.style.animationPlayState = active ? 'running' : 'paused';
}

// The clip the framework's wait panel plays for a kind of work (Showavi kinds): reading
// and searching find, copying copies, anything else spins.
export function clipForWait(kind) {
  if (kind === 6) return 'findFile';
  if (kind === 4) return 'copyFiles';
  return 'spinner';
}
