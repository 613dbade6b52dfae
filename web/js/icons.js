// Icons the renderer draws itself as SVG, so they never depend on a font having a
// glyph: the four message box icons and the title bar's buttons.
const SVG = 'http://www.w3.org/2000/svg';

const MESSAGE_ICONS = {
  error: [
    ['circle', { cx: 16, cy: 16, r: 14, fill: '#c62828', stroke: '#8e1b1b', 'stroke-width': 1.5 }],
    ['path', { d: 'M10.5 10.5 L21.5 21.5 M21.5 10.5 L10.5 21.5', stroke: '#fff', 'stroke-width': 3.2, 'stroke-linecap': 'round' }],
  ],
  warning: [
    ['path', { d: 'M16 2.5 L30 28.5 H2 Z', fill: '#f4c430', stroke: '#9a7400', 'stroke-width': 1.5, 'stroke-linejoin': 'round' }],
    ['rect', { x: 14.4, y: 10, width: 3.2, height: 10, rx: 1.2, fill: '#1c1c1c' }],
    ['circle', { cx: 16, cy: 24, r: 1.9, fill: '#1c1c1c' }],
  ],
  information: [
    ['circle', { cx: 16, cy: 16, r: 14, fill: '#1f5fbf', stroke: '#153f80', 'stroke-width': 1.5 }],
    ['circle', { cx: 16, cy: 9.5, r: 2.1, fill: '#fff' }],
    ['rect', { x: 14.3, y: 13.5, width: 3.4, height: 11, rx: 1.2, fill: '#fff' }],
  ],
  confirmation: [
    ['circle', { cx: 16, cy: 16, r: 14, fill: '#1f5fbf', stroke: '#153f80', 'stroke-width': 1.5 }],
    ['path', { d: 'M11.5 12.5 C11.5 6.5 20.5 6.5 20.5 12 C20.5 15.5 16 16 16 19.5', fill: 'none', stroke: '#fff', 'stroke-width': 3, 'stroke-linecap': 'round' }],
    ['circle', { cx: 16, cy: 24.3, r: 1.9, fill: '#fff' }],
  ],
};

const TITLE_ICONS = {
  close: [['path', { d: 'M2 2 L10 10 M10 2 L2 10' }]],
  maximize: [['rect', { x: 1.5, y: 1.5, width: 9, height: 9 }]],
  restore: [['rect', { x: 1.5, y: 3.5, width: 7, height: 7 }], ['path', { d: 'M3.5 3.5 V1.5 H10.5 V8.5 H8.5' }]],
};

function drawing(parts, viewBox) {
  const svg = document.createElementNS(SVG, 'svg');
  svg.setAttribute('viewBox', viewBox);
  svg.setAttribute('aria-hidden', 'true');
  for (const [tag, attributes] of parts) {
    const node = document.createElementNS(SVG, tag);
    for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, String(value));
    svg.appendChild(node);
  }
  return svg;
}

// The icon of a message box type ("error", "warning", "information", "confirmation"),
// or null for a type without one.
export function messageIcon(type) {
  const parts = MESSAGE_ICONS[type];
  return parts ? drawing(parts, '0 0 32 32') : null;
}

// A title bar button's icon: "close", "maximize" or "restore".
export function titleIcon(name) {
  return drawing(TITLE_ICONS[name], '0 0 12 12');
}
