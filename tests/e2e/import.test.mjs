// The import of a spreadsheet's prices in the browser: the template downloaded from the
// import window, filled in and uploaded through the file chooser, previewed, written,
// and found in the price table and, as an import batch, in the history. And what the
// upload refuses: a missing or wrong session token, a file over the limit; a name that
// could leave the uploads folder is never used as a path.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { request } from 'node:http';
import { dirname, join } from 'node:path';
import { formattedRegistration, sqlRows } from './support/database.mjs';
import { useSystemAndBrowser, answered, click, control, gridTexts, messageText, openPriceTable, screenshot, seq, shownText, waitIdle } from './support/browser.mjs';

const MAIN_GRID = 'frmTabPreClie.dbgPadrao';
const PRICE = 2;
const CUSTOMER = '000001';

let system;
let page;

useSystemAndBrowser(undefined, (s, p) => {
  system = s;
  page = p;
});

function sql(query) {
  return sqlRows(system.db, query);
}

// Days since 30/12/1899, as a spreadsheet stores a date.
function serialDate(iso) {
  return (Date.parse(`${iso}T00:00:00Z`) - Date.UTC(1899, 11, 30)) / 86400000;
}

const textCell = (ref, text) => `<c r="${ref}" t="inlineStr"><is><t>${text}</t></is></c>`;
const numberCell = (ref, value) => `<c r="${ref}"><v>${value}</v></c>`;

// The template with `lines` ([product, price, start, end]) added below its header; the
// customer column is left empty, so each line is for the customer of the import.
function filledTemplate(template, lines) {
  const dir = join(system.dir, 'filled');
  mkdirSync(dir, { recursive: true });
  assert.equal(spawnSync('unzip', ['-o', '-q', template, '-d', dir]).status, 0);
  const sheetPath = join(dir, 'xl', 'worksheets', 'sheet1.xml');
  const rows = lines.map(([product, price, start, end], i) => {
    const r = i + 2;
    return `<row r="${r}">${textCell(`B${r}`, product)}${numberCell(`C${r}`, price)}`
      + `${numberCell(`D${r}`, serialDate(start))}${numberCell(`E${r}`, serialDate(end))}</row>`;
  }).join('');
  const sheet = readFileSync(sheetPath, 'utf8');
  writeFileSync(sheetPath, sheet.includes('</sheetData>')
    ? sheet.replace('</sheetData>', `${rows}</sheetData>`)
    : sheet.replace('<sheetData/>', `<sheetData>${rows}</sheetData>`));
  const filled = join(system.dir, 'precos.xlsx');
  assert.equal(spawnSync('zip', ['-q', '-r', '-X', filled, '.'], { cwd: dir }).status, 0);
  return filled;
}

function storedPrice(product) {
  const rows = sql(`SELECT VRPRECOPROD FROM TABPRECLIE WHERE CDCLIENTE = '${CUSTOMER}' AND CDPRODUTO = '${product}'`);
  return rows.length ? Number(rows[0][0]) : null;
}

// POST /upload as a page (or a foreign script) would send it; a declared `length`
// beyond the body's sends only the body and waits for the answer to the header.
function upload(query, headers, body, length = body.length) {
  return new Promise((resolve, reject) => {
    const req = request({ host: '127.0.0.1', port: system.webPort, method: 'POST', path: `/upload?${query}`,
      headers: { Origin: system.origin, 'Content-Length': length, ...headers } });
    req.on('response', (res) => {
      let text = '';
      res.setEncoding('utf8');
      res.on('data', (chunk) => { text += chunk; });
      res.on('end', () => {
        resolve({ status: res.statusCode, text });
        req.destroy();
      });
    });
    req.on('error', reject);
    if (length === body.length) req.end(body);
    else req.write(body);
  });
}

test('the template is filled in, uploaded, previewed and imported as a batch of the history', async () => {
  const [[number, kind]] = sql(`SELECT NRINSJURCLIE, IDTPIJURCLIE FROM CLIENTE WHERE CDCLIENTE = '${CUSTOMER}'`);
  const leaves = sql(`SELECT P.CDPRODUTO, P.CDARVPROD, T.CDPRODUTO IS NOT NULL FROM PRODUTO P
    LEFT JOIN TABPRECLIE T ON T.CDPRODUTO = P.CDPRODUTO AND T.CDCLIENTE = '${CUSTOMER}'
    WHERE P.NRNIVEL = 3 ORDER BY P.CDARVPROD LIMIT 2`);
  const changed = leaves.filter((leaf) => leaf[2] === '1').length;
  await openPriceTable(page, formattedRegistration(number, kind));
  assert.equal(await shownText(page, 'frmTabPreClie.sbtImportar'), '⇧', 'the import button draws its own glyph');

  await click(page, 'frmTabPreClie.sbtImportar');
  assert.equal(await page.locator('.window.modal[data-name="frmImpPlanilha"]').count(), 1);
  const download = page.waitForEvent('download', { timeout: 20000 });
  await click(page, 'frmImpPlanilha.btnModelo');
  const template = join(system.dir, 'modelo.xlsx');
  await (await download).saveAs(template);
  const header = spawnSync('unzip', ['-p', template, 'xl/worksheets/sheet1.xml'], { encoding: 'utf8' }).stdout;
  assert.deepEqual([...header.matchAll(/<t>([^<]*)<\/t>/g)].map((m) => m[1]),
    ['Cliente', 'Produto', 'Preço', 'Validade Inicial', 'Validade Final']);

  const file = filledTemplate(template, [
    [leaves[0][1], 12.345, '2027-01-01', '2027-12-31'],
    [leaves[1][1], 7.5, '2027-02-01', '2027-06-30'],
    ['999999', 1, '2027-01-01', '2027-12-31'],
  ]);
  const chooser = page.waitForEvent('filechooser');
  await click(page, 'frmImpPlanilha.btnArquivo');
  await answered(page, async () => (await chooser).setFiles(file));
  const stored = await shownText(page, 'frmImpPlanilha.edtArquivo');
  assert.match(stored, /vqr-uploads-[^/]+\/arquivo-\d+\.xlsx$/, 'the edit names the upload the host stored');
  assert.ok(existsSync(stored));

  await click(page, 'frmImpPlanilha.sbtConfirma');
  assert.equal(await page.locator('.window.modal[data-name="frmPrevia"]').count(), 1);
  assert.match(await shownText(page, 'frmPrevia.lblResumo'),
    new RegExp(`^Preços a criar: ${2 - changed} \\| a alterar: ${changed} \\| sem alteração: 0 \\| linhas recusadas: 1 \\| clientes: 1`));
  assert.match(await shownText(page, 'frmPrevia.lblResumo'), /clientes: 1\nConfirmar grava só as linhas aceitas/,
    'a label keeps the line breaks of its caption');
  await screenshot(page, 'import-preview');
  await click(page, 'frmPrevia.sbtConfirma');
  assert.match(await messageText(page), /^Importação gravada: 2 preços criados ou alterados\./);
  await click(page, 'dlgMessage.btnOK');
  assert.equal(await page.locator('.window[data-name="frmImpPlanilha"]').count(), 0);
  assert.ok(!existsSync(stored), 'the upload is removed once the import window is gone');

  assert.deepEqual(await gridTexts(page, MAIN_GRID, PRICE, 2), ['12,345', '7,500']);
  assert.deepEqual([storedPrice(leaves[0][0]), storedPrice(leaves[1][0])], [12.345, 7.5]);
  await screenshot(page, 'import-prices');

  await click(page, 'frmTabPreClie.sbtHistorico');
  await click(page, 'frmHistPreco.rbtTodosProd');
  const origin = control(page, 'frmHistPreco.dbgHistorico').locator('.grid-cell[data-row="0"][data-col="1"]');
  assert.equal((await origin.innerText()).trim(), 'Importação');
  assert.deepEqual(sql("SELECT IDORIGALT, QTPRECO FROM TABPRECLIELOTE WHERE IDORIGALT = 'I'"), [['I', '2']]);
  await screenshot(page, 'import-history');
  await click(page, 'frmHistPreco.sbtCancel');
});

test('an upload without the session token or over the limit is refused, and its own name is never a path', async () => {
  const token = new URL(system.url).searchParams.get('token');
  const target = 'target=frmImpPlanilha.edtArquivo';
  await click(page, 'frmTabPreClie.sbtImportar');
  const small = Buffer.from('Produto;Preço\r\n1;1\r\n');

  for (const headers of [{}, { 'X-Session-Token': 'wrong' }]) {
    const refused = await upload(`${target}&name=a.csv`, headers, small);
    assert.deepEqual(refused, { status: 403, text: 'Sessão inválida: o arquivo não foi recebido.' });
  }
  const tooLarge = await upload(`${target}&name=a.csv`, { 'X-Session-Token': token }, small, 32 * 1024 * 1024 + 1);
  assert.deepEqual(tooLarge, { status: 413, text: 'O arquivo passa de 32 MB, o limite, e não foi recebido.' });
  assert.equal(await shownText(page, 'frmImpPlanilha.edtArquivo'), '', 'nothing refused reaches the edit');

  const escape = join(dirname(system.dir), 'fora.csv');
  const before = await seq(page);
  const accepted = await upload(`${target}&name=${encodeURIComponent(`../../../..${escape}`)}`, { 'X-Session-Token': token }, small);
  assert.equal(accepted.status, 200, accepted.text);
  await waitIdle(page, before);
  assert.match(await shownText(page, 'frmImpPlanilha.edtArquivo'), /vqr-uploads-[^/]+\/arquivo-\d+\.csv$/);
  assert.ok(!existsSync(escape));
  await click(page, 'frmImpPlanilha.sbtCancel');
});
