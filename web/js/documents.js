// The documents (reports) the host produces, as the state's "documents" list announces
// them: a new PDF opens in a viewer tab, a new spreadsheet (XLSX, CSV) downloads. When
// the browser blocks the new tab (it opens only soon after a click), the person gets a
// link to open it. Documents already listed when the page connects are not reopened.
import { el } from './dom.js';

export class DocumentOpener {
  constructor(notify) {
    this.notify = notify;
    this.seen = null;
  }

  update(documents) {
    if (this.seen === null || documents.length < this.seen) {
      this.seen = documents.length;
      return;
    }
    const fresh = documents.slice(this.seen);
    this.seen = documents.length;
    for (const doc of fresh) this.open(doc);
  }

  open(doc) {
    if (/\.pdf$/i.test(doc.url)) {
      const tab = window.open(doc.url, '_blank');
      if (tab) this.notify(`Relatório gerado: ${doc.title}`);
      else this.notify(offerLink(doc));
      return;
    }
    const link = el('a', '', document.body);
    link.href = doc.url;
    link.download = '';
    link.click();
    link.remove();
    this.notify(`Planilha gerada: ${doc.title}`);
  }
}

function offerLink(doc) {
  const offer = el('span');
  offer.append(`Relatório gerado: ${doc.title}. `);
  const link = el('a', 'document-link', offer);
  link.href = doc.url;
  link.target = '_blank';
  link.rel = 'noopener';
  link.textContent = 'Abrir';
  link.style.color = '#9cc4ff';
  return offer;
}
