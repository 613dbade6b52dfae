// What a clerk reaches with the keyboard and reads on every screen, measured on the
// page: Escape closing the windows that have a close button, help texts that tell the
// keys as they behave, Alt+Down opening lists, the desktop's menu keys, long texts kept
// inside their boxes, the deletion question naming its product, the row kept after a
// recalculation, history's Ctrl+End, report links that tell their format, and what the
// page says when the server stops, a second tab is refused, or the system is closed.
// Each screenshot is named after the rule it shows.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { customerOf, sqlRows } from './support/database.mjs';
import {
  useSystemAndBrowser, clickGridCell, messageText, openModuleMenu, box, click, control, press, screenshot, seq, shownText, type, waitIdle,
} from './support/browser.mjs';

const PRICES = 'frmTabPreClie';
const GRID = `${PRICES}.dbgPadrao`;
const FORMULA = 'frmFormCompPreco';

let system;
let page;
let browser;

function sql(query) {
  return sqlRows(system.db, query);
}

// Every registered factor the customer does not use yet joins its formula, so its text
// is far longer than its box.
function giveLongFormula(code) {
  sql(`INSERT INTO COMPPRECLIE (CDCLIENTE, CDFATPRECO, NRORDEMFAT, IDDETFATPRE, VRFATPRECLIE, IDTPOPERFATCLIE)
    SELECT '${code}', CDFATPRECO, printf('%03d', 100 + ROW_NUMBER() OVER (ORDER BY CDFATPRECO)), 'P', 1.25, 'SUM'
    FROM FATORPRECO WHERE CDFATPRECO NOT IN (SELECT CDFATPRECO FROM COMPPRECLIE WHERE CDCLIENTE = '${code}')`);
}

async function chooseCustomer(who) {
  await click(page, `${PRICES}.medCdClie`);  // entering it selects its text: typing replaces it
  await type(page, who.formatted);
  await press(page, 'Tab');
  assert.equal(await shownText(page, `${PRICES}.edtNmClie`), who.name);
}

async function windowCount(name, on = page) {
  return on.locator(`.window[data-name="${name}"]`).count();
}

// Gives the grid the focus, unless it has it (a click then sends nothing).
async function focusGrid(path = GRID) {
  if (await control(page, path).evaluate((node) => node.classList.contains('focused'))) return;
  await click(page, path);
}

function clickCell(path, row, col) {
  return clickGridCell(page, path, row, col);
}

async function openMenuWithMouse(windowName, caption) {
  await page.locator(`.menu-top[data-window="${windowName}"]`, { hasText: caption }).dispatchEvent('mousedown');
}

// Waits (up to 5 s) for the page to paint the open top-level menus expected, then
// checks them: the host's state may arrive a frame after the key's own update.
async function expectOpenMenu(expected, message) {
  const open = () => page.locator('.menu-top.open').allInnerTexts();
  const until = Date.now() + 5000;
  let shown = await open();
  while (JSON.stringify(shown) !== JSON.stringify(expected) && Date.now() < until) {
    await page.waitForTimeout(50);
    shown = await open();
  }
  assert.deepEqual(shown, expected, message);
}

useSystemAndBrowser({ demoArgs: ['--customers', '50'] }, async (s, p, b) => {
  system = s;
  page = p;
  browser = b;
  await page.setViewportSize({ width: 1366, height: 768 });
  await openModuleMenu(page);
  await chooseCustomer(customerOf(system.db, '000001'));
});

test('Escape closes the copy screen, the preview and the history, and each help tells the keys as they behave', async () => {
  await click(page, `${PRICES}.sbtCopiaDados`);
  assert.equal(await windowCount('frmCopiaDados'), 1);
  await click(page, 'frmCopiaDados.sbtHelp');
  assert.match(await messageText(page), /Esc ou o botão Fechar sai sem confirmar/);
  await click(page, 'dlgMessage.btnOK');
  await press(page, 'Escape');
  await screenshot(page, 'keys-05-escape-closed-copy');
  assert.equal(await windowCount('frmCopiaDados'), 0, 'Escape closed the copy screen, as its help says');

  await click(page, `${PRICES}.sbtHistorico`);
  await click(page, 'frmHistPreco.sbtHelp');
  assert.doesNotMatch(await messageText(page), /confirme/, 'nothing to confirm in a list');
  assert.match(await messageText(page), /Esc ou o botão Fechar fecha a janela/);
  await click(page, 'dlgMessage.btnOK');
  await press(page, 'Escape');
  assert.equal(await windowCount('frmHistPreco'), 0, 'Escape closed the history');

  await click(page, `${PRICES}.sbtFormComp`);
  await click(page, `${FORMULA}.sbtHelp`);
  const help = await messageText(page);
  await screenshot(page, 'keys-05-formula-help');
  assert.doesNotMatch(help, /Enter passa ao campo seguinte/);
  assert.match(help, /Enter, sem linha em edição: recalcula/);
  await click(page, 'dlgMessage.btnOK');
  await click(page, `${FORMULA}.sbtPrevia`);
  assert.equal(await windowCount('frmPrevia'), 1);
  await press(page, 'Escape');
  assert.equal(await windowCount('frmPrevia'), 0, 'Escape closed the preview');
  assert.equal(await windowCount(FORMULA), 1, 'and only the preview');
  await press(page, 'Escape');
  assert.equal(await windowCount(FORMULA), 0);
});

test('Alt+Down opens the factor search, a coded column\'s pick list and the report list, and does nothing else', async () => {
  await click(page, `${PRICES}.sbtFormComp`);
  await press(page, 'F2');
  await type(page, '7');
  await press(page, 'Tab');
  await press(page, 'Alt+ArrowDown');
  await screenshot(page, 'keys-03-alt-down-factor-search');
  assert.equal(await windowCount('dlgPesquisa'), 1, 'the factor search opened');
  assert.equal(await windowCount('dlgMessage'), 0, 'and the row was not posted');
  await press(page, 'Escape');
  for (let i = 0; i < 3; i++) await press(page, 'Tab');
  await press(page, 'Alt+ArrowDown');
  const list = page.locator('.pick-popup');
  await screenshot(page, 'keys-03-alt-down-pick-list');
  assert.equal(await list.count(), 1, 'the operation column\'s list is open');
  assert.ok((await list.locator('.popup-item').allInnerTexts()).includes('-'), 'the operations are listed');
  assert.equal(await windowCount('dlgMessage'), 0);
  await page.keyboard.press('Escape');  // the page's own list: the host hears nothing
  assert.equal(await list.count(), 0);
  await press(page, 'Escape');  // the row: asks
  await click(page, 'dlgMessage.btnYes');
  await press(page, 'Escape');
  assert.equal(await windowCount(FORMULA), 0);

  await click(page, `${PRICES}.sbtImprimir`);
  const combo = control(page, 'frmRelTabPreClie.cbbReportNames');
  const chosen = await shownText(page, 'frmRelTabPreClie.cbbReportNames');
  await click(page, 'frmRelTabPreClie.cbbReportNames');
  await page.keyboard.press('Escape');  // the list the click opened
  await press(page, 'Alt+ArrowDown');
  await screenshot(page, 'keys-03-alt-down-report-list');
  assert.equal(await page.locator('.popup').count(), 1, 'the report list is open');
  assert.ok((await box(page.locator('.popup'))).top >= (await box(combo)).bottom - 1, 'under the combo box');
  assert.equal(await shownText(page, 'frmRelTabPreClie.cbbReportNames'), chosen, 'the choice did not change');
  await page.keyboard.press('Escape');
  await press(page, 'Escape');
  assert.equal(await windowCount('frmRelTabPreClie'), 0);
});

test('menu letters skip disabled items and cycle, F10 reaches the frame, and a letter never passes an open menu', async () => {
  await focusGrid();
  await press(page, 'Alt+m');
  await expectOpenMenu(['Manutenção']);
  await press(page, 'Alt+m');
  await screenshot(page, 'keys-04-alt-m-again-frame-menu');
  await expectOpenMenu(['Módulo'], 'the same letter goes on to the frame\'s menu');
  await press(page, 'Escape');
  await press(page, 'F10');
  await expectOpenMenu(['Módulo'], 'F10 opens the frame\'s menu bar');
  await press(page, 'Escape');

  await press(page, 'Alt+m');
  await press(page, 'f');
  await screenshot(page, 'keys-04-alt-m-f-formula');
  assert.equal(await windowCount(FORMULA), 1, '"Confirmar" is disabled: F picks "Fórmula de Composição"');
  await press(page, 'Escape');

  await click(page, `${PRICES}.medCdClie`);
  const typed = await shownText(page, `${PRICES}.medCdClie`);
  await openMenuWithMouse(PRICES, 'Manutenção');
  await page.keyboard.press('x');
  assert.equal(await page.locator('.menu-popup').count(), 1, 'a letter of no item keeps the menu open');
  assert.equal(await shownText(page, `${PRICES}.medCdClie`), typed, 'and types nothing behind it');
  const before = await seq(page);
  await page.keyboard.press('h');
  await waitIdle(page, before);
  await screenshot(page, 'keys-04-mouse-menu-letter');
  assert.equal(await windowCount('frmHistPreco'), 1, 'the underlined letter chose "Histórico de Preços"');
  await press(page, 'Escape');
});

test('long formulas stay inside their boxes, scroll or wrap there, and show whole in the hint', async () => {
  const long = customerOf(system.db, '000002');
  giveLongFormula(long.code);
  await chooseCustomer(long);
  await click(page, `${PRICES}.sbtFormComp`);
  const edit = control(page, `${FORMULA}.edtFormula`);
  const text = await edit.innerText();
  assert.ok(text.length > 80, `a long formula: ${text}`);
  await screenshot(page, 'long-02-formula-edit');
  const scroll = await edit.evaluate((node) => ({ overflowX: getComputedStyle(node).overflowX, wide: node.scrollWidth > node.clientWidth }));
  assert.deepEqual(scroll, { overflowX: 'auto', wide: true }, 'the edit scrolls sideways over its text');
  assert.equal(await edit.getAttribute('data-hint'), text.trim(), 'the hint holds the whole text');
  await press(page, 'Escape');

  await click(page, `${PRICES}.sbtCopiaDados`);
  const label = control(page, 'frmCopiaDados.lblFormula');
  await screenshot(page, 'long-02-copy-label');
  const group = await box(control(page, 'frmCopiaDados.grbFormula'));
  const shown = await label.evaluate((node) => {
    const range = document.createRange();
    range.selectNodeContents(node);
    const r = range.getBoundingClientRect();
    return { right: r.right, bottom: r.bottom, whiteSpace: getComputedStyle(node).whiteSpace };
  });
  assert.equal(shown.whiteSpace, 'pre-line', 'the label wraps, keeping its line breaks');
  assert.ok(shown.right <= group.right, `the text ends inside its group (${shown.right} > ${group.right})`);
  assert.ok((await label.getAttribute('data-hint'))?.length > 80, 'the hint holds the whole formula');
  await press(page, 'Escape');
});

test('a customer picked in the search shows its number masked, as a typed one does', async () => {
  const who = customerOf(system.db, '000004');
  await chooseCustomer(who);
  await click(page, `${PRICES}.medCdClie`);
  await click(page, `${PRICES}.btpCliente`);  // opens on the customer chosen
  await click(page, 'dlgPesquisa.btnOK');
  await screenshot(page, 'search-07-picked-number-masked');
  assert.equal(await shownText(page, `${PRICES}.medCdClie`), who.formatted);
  assert.equal(await shownText(page, `${PRICES}.edtNmClie`), who.name);
  await focusGrid();
});

test('the copy screen\'s list searches a named column, leaves the source out, and its count shows beside the button', async () => {
  const source = customerOf(system.db, '000001');
  await chooseCustomer(source);
  await click(page, `${PRICES}.sbtCopiaDados`);
  await click(page, 'frmCopiaDados.rbtLista');
  await click(page, 'frmCopiaDados.btpPesqClie');
  await screenshot(page, 'copy-06-list');
  assert.equal(await shownText(page, 'dlgPesquisaLista.lblPesquisa'), 'Pesquisar por Inscrição:');
  const [[customers]] = sql('SELECT COUNT(*) FROM CLIENTE');
  assert.equal(await shownText(page, 'dlgPesquisaLista.lblMarcados'), `Marcados: 0 de ${Number(customers) - 1}`,
    'every customer but the source');
  await type(page, source.number);
  const current = control(page, 'dlgPesquisaLista.dbgPesquisa').locator('.grid-row.current');
  assert.notEqual((await current.innerText()).replace(/\D/g, '').slice(0, source.number.length), source.number);
  await press(page, 'Space');
  await press(page, 'ArrowDown');
  await press(page, 'Space');
  await click(page, 'dlgPesquisaLista.btnOK');
  await screenshot(page, 'copy-06-count-beside-button');
  const count = control(page, 'frmCopiaDados.lblQtdeClie');
  assert.equal(await shownText(page, 'frmCopiaDados.lblQtdeClie'), '(2)');
  assert.equal(await count.getAttribute('data-hint'), '2 clientes marcados');
  const [shown, button, group] = await Promise.all([box(count), box(control(page, 'frmCopiaDados.btpPesqClie')),
    box(control(page, 'frmCopiaDados.grbClieDest'))]);
  assert.ok(shown.left >= button.right && shown.top < button.bottom && shown.bottom > button.top, 'beside the button');
  assert.ok(shown.right <= group.right, 'inside its group');
  await press(page, 'Escape');
});

test('the customer search keeps the prices when cancelled; its number column takes a masked number and turns to the name at a letter', async () => {
  const who = customerOf(system.db, '000001');
  await chooseCustomer(who);
  await focusGrid();
  const rows = await control(page, GRID).locator('.grid-row').count();
  assert.ok(rows > 0, 'prices shown');
  await click(page, `${PRICES}.btpCliente`);
  await click(page, 'dlgPesquisa.btnCancel');
  await screenshot(page, 'search-07-cancel-keeps-prices');
  assert.equal(await control(page, GRID).locator('.grid-row').count(), rows, 'the prices stay');
  assert.equal(await shownText(page, `${PRICES}.edtNmClie`), who.name);

  const [[code]] = sql("SELECT CDCLIENTE FROM CLIENTE WHERE NMRAZSOCCLIE GLOB '[A-Z][a-z][a-z]*' AND CDCLIENTE <> '000001' ORDER BY CDCLIENTE LIMIT 1");
  const other = customerOf(system.db, code);
  await click(page, `${PRICES}.btpCliente`);
  assert.equal(await shownText(page, 'dlgPesquisa.lblPesquisa'), 'Pesquisar por Inscrição:');
  const current = control(page, 'dlgPesquisa.dbgPesquisa').locator('.grid-row.current');
  await type(page, other.formatted);
  assert.equal(await shownText(page, 'dlgPesquisa.edtPesquisa'), other.formatted, 'the typed number is kept');
  assert.ok((await current.innerText()).includes(other.formatted), 'and finds its customer');
  const start = other.name.slice(0, 3);
  await type(page, start);
  await screenshot(page, 'search-07-letter-turns-to-name');
  assert.equal(await shownText(page, 'dlgPesquisa.lblPesquisa'), 'Pesquisar por Razão Social:');
  assert.equal(await shownText(page, 'dlgPesquisa.edtPesquisa'), start, 'the letters are kept');
  assert.ok((await current.locator('.grid-cell[data-col="1"]').innerText()).trim().startsWith(start));
  await press(page, 'Escape');
  assert.equal(await control(page, GRID).locator('.grid-row').count(), rows);
});

test('the deletion question names its product, and a recalculation keeps the row the cursor was on', async () => {
  const first = customerOf(system.db, '000001');
  await chooseCustomer(first);
  const [[position, code, name]] = sql(`SELECT n - 1, CDARVPROD, NMPRODUTO FROM (
      SELECT ROW_NUMBER() OVER (ORDER BY p.CDARVPROD) n, p.CDARVPROD, p.NMPRODUTO, t.CDPRODUTO priced FROM PRODUTO p
      LEFT JOIN TABPRECLIE t ON t.CDPRODUTO = p.CDPRODUTO AND t.CDCLIENTE = '${first.code}' WHERE p.NRNIVEL = 3)
    WHERE priced IS NOT NULL AND n > 3 ORDER BY n LIMIT 1`);
  const row = Number(position);
  await clickCell(GRID, row, 2);
  await click(page, `${PRICES}.sbtExcluir`);
  const [question, product] = (await messageText(page)).split('\n');
  await screenshot(page, 'small-11-delete-names-product');
  assert.equal(question, 'Confirma exclusão?');
  assert.ok(product.includes(name) && product.replace(/\D/g, '').includes(code), product);
  await click(page, 'dlgMessage.btnNo');

  await click(page, `${PRICES}.sbtFormComp`);
  await press(page, 'Enter');
  await click(page, 'dlgMessage.btnYes');
  await page.waitForSelector('.window[data-name="dlgMessage"]', { timeout: 30000 });
  await waitIdle(page);
  assert.match(await messageText(page), /Recálculo de preços realizado com sucesso\./);
  await click(page, 'dlgMessage.btnOK');
  await screenshot(page, 'small-11-row-kept-after-recalculation');
  const current = await control(page, GRID).locator('.grid-row.current .grid-cell').first().getAttribute('data-row');
  assert.equal(Number(current), row, 'the cursor stayed on the product');
});

test('the history goes to its oldest change with one Ctrl+End', async () => {
  // Changes enough for several of the pages the window reads at a time.
  const who = customerOf(system.db, '000003');
  sql(`WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 250)
    INSERT INTO TABPRECLIEHIST (CDCLIENTE, CDPRODUTO, VRPRECOANT, VRPRECONOV, IDORIGALT, DTHRALT, CDUSUARIO)
    SELECT '${who.code}', (SELECT MIN(CDPRODUTO) FROM PRODUTO WHERE NRNIVEL = 3), i, i + 1, 'M',
      strftime('%Y-%m-%dT%H:%M:%S', 'now', 'localtime', '-' || i || ' minutes'), 'teste' FROM n`);
  const [[total]] = sql(`SELECT COUNT(*) FROM TABPRECLIEHIST WHERE CDCLIENTE = '${who.code}'`);
  await chooseCustomer(who);
  await click(page, `${PRICES}.sbtHistorico`);
  await click(page, 'frmHistPreco.rbtTodosProd');
  await focusGrid('frmHistPreco.dbgHistorico');
  await press(page, 'Control+End');
  await screenshot(page, 'history-10-ctrl-end');
  const current = await control(page, 'frmHistPreco.dbgHistorico').locator('.grid-row.current .grid-cell').first().getAttribute('data-row');
  assert.equal(Number(current), Number(total) - 1, 'one press reached the oldest of every change');
  await press(page, 'Escape');
});

test('report links name their format and time', async () => {
  await click(page, `${PRICES}.sbtImprimir`);
  const [[first, last]] = sql('SELECT MIN(CDARVPROD), MAX(CDARVPROD) FROM PRODUTO WHERE NRNIVEL = 3');
  await click(page, 'frmRelTabPreClie.medProdIni');
  await type(page, first);
  await click(page, 'frmRelTabPreClie.medProdFin');
  await type(page, last);
  await press(page, 'Tab');
  for (const button of ['btnXlsx', 'btnCsv']) {
    const download = page.waitForEvent('download', { timeout: 30000 });
    await click(page, 'frmRelTabPreClie.sbtExportar');
    await click(page, `dlgExportar.${button}`);
    await download;
  }
  await screenshot(page, 'reports-08-links');
  const links = await page.locator('.status-documents .document-link').allInnerTexts();
  assert.ok(links.length >= 2, links.join(' | '));
  assert.match(links.at(-2), /\(XLSX, \d\d:\d\d:\d\d\)$/);
  assert.match(links.at(-1), /\(CSV, \d\d:\d\d:\d\d\)$/);
  await press(page, 'Escape');
});

test('with the server stopped a call says so in Portuguese and the status bar follows it', async () => {
  await focusGrid();
  await system.stopServer();
  await click(page, `${PRICES}.sbtVerificar`);
  await page.waitForSelector('.window[data-name="dlgMessage"]', { timeout: 20000 });
  const text = await messageText(page);
  await screenshot(page, 'network-01-server-stopped');
  assert.match(text, /não está respondendo/);
  assert.match(text, /Nada foi gravado\./);
  assert.doesNotMatch(text, /Connection|refused|reset/i, 'no English');
  const status = await page.locator('.kind-statusbar .status-panel[data-panel="1"]').innerText();
  assert.equal(status.trim(), 'Sem conexão');
  await click(page, 'dlgMessage.btnOK');
});

test('a second tab waits for the first and takes over when it closes; "Sair" asks and says the system was closed', async () => {
  const second = await browser.context.newPage();
  await second.goto(system.url);
  await second.waitForFunction(() => !document.getElementById('connection').hidden);
  assert.match(await second.locator('#connection').innerText(), /outra aba/);
  await page.close();
  await second.waitForFunction(() => document.getElementById('connection').hidden && document.querySelector('.menu-top'),
    null, { timeout: 15000 });
  await screenshot(second, 'small-11-second-tab-took-over');
  page = second;
  await waitIdle(page);

  await openMenuWithMouse('frmHost', 'Módulo');
  const before = await seq(page);
  await page.locator('.popup-item', { hasText: 'Sair' }).dispatchEvent('mousedown');
  await waitIdle(page, before);
  assert.match(await messageText(page), /Deseja sair do sistema\?/);
  await control(page, 'dlgMessage.btnYes').dispatchEvent('mousedown');
  await page.waitForFunction(() => /encerrado/.test(document.getElementById('connection').textContent), null, { timeout: 15000 });
  await screenshot(page, 'small-11-sair-closed');
  const said = await page.locator('#connection').innerText();
  assert.match(said, /O sistema foi encerrado/);
  assert.doesNotMatch(said, /Recarregue/);
});
