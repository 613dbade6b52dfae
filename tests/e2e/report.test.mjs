// The price table report in the browser, its main path: open the report screen from
// the price table's print command, choose "Lista" with two customers marked in the list
// dialog and a product range, run "Visualizar" and read the PDF that opens (its content
// type, its pages, its customers), then export the spreadsheet, which downloads.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { sqlRows } from './support/database.mjs';
import { useSystemAndBrowser, openModuleMenu, answered, click, control, press, screenshot, seq, shownText, type, waitIdle } from './support/browser.mjs';

const FORM = 'frmRelTabPreClie';
const LIST = 'dlgPesquisaLista';

let system;
let page;

function sql(query) {
  return sqlRows(system.db, query);
}

async function findInList(number) {
  await press(page, 'Home');
  await type(page, number);
  return control(page, `${LIST}.dbgPesquisa`).locator('.grid-row.current');
}

// The new tab the PDF opens in; when the browser blocked it, the tab the offered link
// opens.
async function viewerOf(run) {
  const opened = page.context().waitForEvent('page', { timeout: 20000 }).catch(() => null);
  await run();
  const offer = page.locator('.document-link', { hasText: 'Abrir' });
  if (await offer.count()) {
    const [tab] = await Promise.all([page.context().waitForEvent('page'), offer.last().click()]);
    return tab;
  }
  return opened;
}

useSystemAndBrowser(undefined, (s, p) => {
  system = s;
  page = p;
});

test('the price table of two customers and a range is viewed as a PDF and exported as a spreadsheet', async () => {
  // Two customers with special prices, and the range of the first one's products.
  const customers = sql(`SELECT C.CDCLIENTE, C.NRINSJURCLIE, C.NMRAZSOCCLIE FROM CLIENTE C
    WHERE EXISTS (SELECT 1 FROM TABPRECLIE T WHERE T.CDCLIENTE = C.CDCLIENTE) ORDER BY C.CDCLIENTE LIMIT 2`)
    .map(([code, number, name]) => ({ code, number, name }));
  assert.equal(customers.length, 2, 'the demo has customers with special prices');
  const [[first, last]] = sql(`SELECT MIN(P.CDARVPROD), MAX(P.CDARVPROD) FROM TABPRECLIE T
    JOIN PRODUTO P ON P.CDPRODUTO = T.CDPRODUTO WHERE T.CDCLIENTE = '${customers[0].code}'`);
  const [[rows]] = sql(`SELECT COUNT(*) FROM TABPRECLIE T JOIN PRODUTO P ON P.CDPRODUTO = T.CDPRODUTO
    WHERE T.CDCLIENTE IN ('${customers[0].code}', '${customers[1].code}')
    AND P.CDARVPROD >= '${first}' AND SUBSTR(P.CDARVPROD, 1, LENGTH('${last}')) <= '${last}'`);

  await openModuleMenu(page);
  await click(page, 'frmTabPreClie.sbtImprimir');
  const win = page.locator(`.window.modal[data-name="${FORM}"]`);
  assert.equal(await win.count(), 1, 'the report screen is a modal window');
  assert.match(await win.locator('.title-caption').innerText(), /Tabela de Preços por Cliente/);

  await click(page, `${FORM}.rbtLista`);
  await click(page, `${FORM}.btpPesqClie`);
  await findInList(customers[0].number);
  await press(page, 'Space');
  const row = await findInList(customers[1].number);
  await answered(page, () => row.locator('.grid-mark').dispatchEvent('mousedown'));
  assert.match(await shownText(page, `${LIST}.lblMarcados`), /^Marcados: 2 de /);
  await click(page, `${LIST}.btnOK`);
  await click(page, `${FORM}.medProdIni`);
  await type(page, first);
  await click(page, `${FORM}.medProdFin`);
  await type(page, last);
  await press(page, 'Tab');
  await screenshot(page, 'report-filled');

  const viewer = await viewerOf(() => answered(page, () => control(page, `${FORM}.sbtVisualizar`).click()));
  assert.ok(viewer, 'the PDF opens in a new tab');
  const answer = await page.context().request.get(viewer.url());
  assert.equal(answer.status(), 200);
  assert.match(answer.headers()['content-type'], /^application\/pdf/);
  const pdf = join(system.dir, 'viewed.pdf');
  writeFileSync(pdf, await answer.body());
  const pages = Number(/Pages:\s+(\d+)/.exec(spawnSync('pdfinfo', [pdf], { encoding: 'utf8' }).stdout)[1]);
  const text = spawnSync('pdftotext', ['-layout', pdf, '-'], { encoding: 'utf8' }).stdout;
  assert.ok(pages >= 1);
  assert.match(text, new RegExp(`Página ${pages} de ${pages}`), 'the footer counts the pages');
  for (const c of customers) assert.ok(text.includes(c.name), c.name);
  assert.match(text, new RegExp(`Total geral — Produtos: ${rows}`));
  await viewer.close();

  const download = page.waitForEvent('download', { timeout: 20000 });
  await click(page, `${FORM}.sbtExportar`);
  await click(page, 'dlgExportar.btnXlsx');
  const sheet = await download;
  assert.match(sheet.suggestedFilename(), /\.xlsx$/);
  const saved = join(system.dir, 'exported.xlsx');
  await sheet.saveAs(saved);
  assert.equal(readFileSync(saved).subarray(0, 2).toString(), 'PK', 'a spreadsheet package');
  await screenshot(page, 'report-exported');
});
