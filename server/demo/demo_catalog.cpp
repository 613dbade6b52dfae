#include "server/demo/demo_catalog.h"

namespace server::demo {

const std::vector<Category>& ProductCategories() {
  static const std::vector<Category> categories{
      {"Bebidas",
       {{"Refrigerantes", "Refrigerante", {"Cola", "Guaraná", "Laranja", "Limão", "Uva", "Tubaína"}, {"350ml", "600ml", "1L", "2L"}, 1.6},
        {"Sucos e Néctares", "Suco", {"Uva", "Laranja", "Maracujá", "Caju", "Pêssego", "Goiaba"}, {"200ml", "1L", "1,5L"}, 1.9},
        {"Águas Minerais", "Água Mineral", {"sem Gás", "com Gás"}, {"500ml", "1,5L", "5L", "20L"}, 0.8},
        {"Cervejas", "Cerveja", {"Pilsen", "Puro Malte", "Lager", "Weiss", "IPA"}, {"269ml", "350ml", "473ml", "600ml"}, 2.2},
        {"Energéticos e Isotônicos", "Isotônico", {"Limão", "Tangerina", "Morango", "Frutas Cítricas"}, {"473ml", "500ml"}, 3.1},
        {"Vinhos", "Vinho", {"Tinto Seco", "Tinto Suave", "Branco Seco", "Rosé"}, {"750ml", "1L"}, 14.0},
        {"Chás Prontos", "Chá Gelado", {"Limão", "Pêssego", "Mate", "Hibisco"}, {"300ml", "1,5L"}, 2.4}}},
      {"Mercearia",
       {{"Arroz", "Arroz", {"Tipo 1", "Parboilizado", "Integral", "Arbóreo"}, {"1kg", "2kg", "5kg"}, 4.5},
        {"Feijão", "Feijão", {"Carioca", "Preto", "Fradinho", "Rajado"}, {"500g", "1kg"}, 5.2},
        {"Massas", "Macarrão", {"Espaguete", "Parafuso", "Penne", "Ave-Maria", "Talharim"}, {"500g", "1kg"}, 3.4},
        {"Óleos e Azeites", "Óleo", {"de Soja", "de Milho", "de Girassol", "de Canola"}, {"900ml", "1,5L"}, 6.3},
        {"Açúcar e Adoçantes", "Açúcar", {"Cristal", "Refinado", "Mascavo", "Demerara"}, {"1kg", "2kg", "5kg"}, 3.9},
        {"Café", "Café", {"Tradicional", "Extraforte", "Gourmet", "Descafeinado"}, {"250g", "500g"}, 9.8},
        {"Farinhas", "Farinha", {"de Trigo", "de Mandioca", "de Milho", "de Rosca"}, {"500g", "1kg", "5kg"}, 3.1},
        {"Enlatados e Conservas", "Conserva", {"Milho Verde", "Ervilha", "Seleta de Legumes", "Palmito", "Azeitona"}, {"170g", "300g"}, 3.6},
        {"Molhos e Temperos", "Molho", {"de Tomate", "Inglês", "Shoyu", "de Pimenta", "Barbecue"}, {"150ml", "340g", "1kg"}, 2.7},
        {"Biscoitos", "Biscoito", {"Cream Cracker", "Maria", "Recheado Chocolate", "Água e Sal", "Rosquinha Coco"}, {"200g", "400g"}, 2.9}}},
      {"Laticínios",
       {{"Leites", "Leite", {"Integral", "Desnatado", "Semidesnatado", "Zero Lactose"}, {"1L"}, 3.8},
        {"Queijos", "Queijo", {"Mussarela", "Prato", "Minas Frescal", "Parmesão", "Coalho"}, {"150g", "500g", "1kg"}, 8.9},
        {"Iogurtes", "Iogurte", {"Natural", "Morango", "Ameixa", "Coco", "Grego"}, {"170g", "900g"}, 2.5},
        {"Manteigas e Margarinas", "Margarina", {"com Sal", "sem Sal", "Light"}, {"250g", "500g", "1kg"}, 4.4},
        {"Requeijão e Creme de Leite", "Requeijão", {"Cremoso", "Light", "Culinário"}, {"200g", "400g", "1,5kg"}, 5.6},
        {"Leites Fermentados", "Leite Fermentado", {"Tradicional", "Light", "Morango"}, {"80g", "480g"}, 1.7}}},
      {"Frios e Congelados",
       {{"Embutidos", "Salsicha", {"Hot Dog", "de Frango", "Defumada"}, {"500g", "1kg", "3kg"}, 7.1},
        {"Presuntos e Apresuntados", "Presunto", {"Cozido", "Defumado", "Tender"}, {"200g", "1kg", "3,5kg"}, 9.4},
        {"Linguiças", "Linguiça", {"Toscana", "Calabresa", "de Frango", "Mista"}, {"500g", "1kg", "5kg"}, 8.3},
        {"Pratos Congelados", "Lasanha", {"Bolonhesa", "Quatro Queijos", "Frango", "Presunto e Queijo"}, {"350g", "600g"}, 7.9},
        {"Vegetais Congelados", "Congelado", {"Brócolis", "Ervilha", "Mix de Legumes", "Batata Palito"}, {"300g", "1kg", "2,5kg"}, 4.8},
        {"Sorvetes", "Sorvete", {"Creme", "Chocolate", "Flocos", "Napolitano", "Morango"}, {"1,5L", "2L", "5L"}, 11.5}}},
      {"Higiene Pessoal",
       {{"Sabonetes", "Sabonete", {"Erva-Doce", "Aveia", "Glicerina", "Lavanda", "Antibacteriano"}, {"85g", "90g"}, 1.3},
        {"Cremes Dentais", "Creme Dental", {"Menta", "Branqueador", "Sensível", "Infantil"}, {"50g", "90g"}, 2.6},
        {"Xampus", "Xampu", {"Anticaspa", "Cabelos Cacheados", "Hidratação", "Infantil"}, {"200ml", "350ml", "1L"}, 6.8},
        {"Condicionadores", "Condicionador", {"Hidratação", "Reconstrução", "Cachos", "Liso"}, {"200ml", "350ml"}, 7.2},
        {"Desodorantes", "Desodorante", {"Aerosol Masc.", "Aerosol Fem.", "Roll-on", "Creme"}, {"50ml", "150ml"}, 6.1},
        {"Papel Higiênico", "Papel Higiênico", {"Simples", "Dupla", "Tripla"}, {"4 rolos", "12 rolos", "16 rolos"}, 5.5},
        {"Fraldas", "Fralda", {"Recém-Nascido", "P", "M", "G", "XG"}, {"pct", "pct econ."}, 22.0}}},
      {"Limpeza",
       {{"Detergentes", "Detergente", {"Neutro", "Limão", "Coco", "Maçã"}, {"500ml", "5L"}, 1.4},
        {"Sabão em Pó", "Sabão Pó", {"Multiação", "Coco", "Roupas Brancas", "Roupas Coloridas"}, {"800g", "1,6kg", "4kg"}, 8.7},
        {"Amaciantes", "Amaciante", {"Concentrado", "Brisa", "Floral", "Bebê"}, {"500ml", "2L", "5L"}, 5.9},
        {"Desinfetantes", "Desinfetante", {"Lavanda", "Eucalipto", "Pinho", "Floral"}, {"500ml", "2L", "5L"}, 3.2},
        {"Água Sanitária", "Água Sanitária", {"Tradicional", "Perfumada"}, {"1L", "2L", "5L"}, 2.1},
        {"Esponjas e Panos", "Esponja", {"Dupla Face", "de Aço", "Multiuso", "Antiaderente"}, {"unidade", "pacote c/ 3", "pacote c/ 10"}, 1.1},
        {"Limpadores Multiuso", "Limpador", {"Multiuso", "Vidros", "Cozinha", "Banheiro"}, {"500ml", "1L"}, 3.9}}},
      {"Hortifrúti e Grãos",
       {{"Ovos", "Ovos", {"Brancos", "Vermelhos", "Caipiras", "de Codorna"}, {"dúzia", "bandeja c/ 30"}, 7.4},
        {"Grãos e Cereais", "Grão", {"Lentilha", "Grão-de-Bico", "Aveia em Flocos", "Milho de Pipoca", "Canjica"}, {"500g", "1kg"}, 4.1},
        {"Frutas Secas", "Fruta Seca", {"Uva-Passa", "Damasco", "Ameixa", "Castanha de Caju", "Amendoim"}, {"100g", "200g", "1kg"}, 6.6},
        {"Doces e Geleias", "Doce", {"de Leite", "Goiabada", "Marmelada", "Geleia de Morango", "Paçoca"}, {"200g", "400g", "1kg"}, 3.9},
        {"Chocolates", "Chocolate", {"ao Leite", "Meio Amargo", "Branco", "com Castanhas"}, {"25g", "90g", "1kg"}, 2.3},
        {"Snacks", "Salgadinho", {"Queijo", "Presunto", "Cebola e Salsa", "Churrasco"}, {"45g", "100g", "500g"}, 2.0}}},
      {"Bazar",
       {{"Descartáveis", "Copo Desc.", {"Transparente", "Branco", "Térmico"}, {"180ml", "200ml", "300ml"}, 3.5},
        {"Guardanapos", "Guardanapo", {"Folha Simples", "Folha Dupla", "Estampado"}, {"50 un.", "100 un."}, 1.9},
        {"Sacos de Lixo", "Saco de Lixo", {"Preto", "Azul", "Reforçado"}, {"15L", "30L", "50L", "100L"}, 4.3},
        {"Papel Alumínio e Filme", "Papel Alumínio", {"Rolo", "Rolo Largo"}, {"7,5m", "30m", "100m"}, 4.9},
        {"Velas e Fósforos", "Vela", {"Branca", "Aromática", "Decorativa"}, {"unidade", "pacote c/ 8"}, 2.2},
        {"Pilhas", "Pilha", {"Alcalina AA", "Alcalina AAA", "Comum AA", "Recarregável AA"}, {"2 un.", "4 un."}, 6.9}}},
      {"Pet Shop",
       {{"Ração para Cães", "Ração Cães", {"Adulto", "Filhote", "Sênior", "Raças Pequenas"}, {"1kg", "3kg", "15kg"}, 12.0},
        {"Ração para Gatos", "Ração Gatos", {"Adulto", "Filhote", "Castrado"}, {"500g", "1kg", "10kg"}, 10.5},
        {"Petiscos", "Petisco", {"Bifinho Carne", "Bifinho Frango", "Osso Nó", "Biscoito"}, {"65g", "500g"}, 3.3},
        {"Areia Higiênica", "Areia Higiênica", {"Tradicional", "Perfumada", "Sílica"}, {"2kg", "4kg", "12kg"}, 5.0},
        {"Acessórios Pet", "Acessório Pet", {"Comedouro", "Bebedouro", "Coleira", "Brinquedo"}, {"P", "M", "G"}, 8.0}}},
  };
  return categories;
}

const std::vector<std::string>& Brands() {
  static const std::vector<std::string> v{
      "Serra Alta", "Vale Verde", "Bom Sabor", "Tropical",   "Sabor Real", "Campestre", "Estrela",  "Aurora",
      "Sítio Novo", "Santa Clara", "Boa Safra", "Ouro Verde", "Rio Claro",  "Nova Era",  "Primor",   "Alvorada",
      "Bonanza",    "Colonial",   "Da Roça",   "Fazendinha", "Imperial",   "Jussara",   "Laguna",   "Mirante",
      "Nativa",     "Panorama",   "Quintal",   "Rainha",     "Sertão",     "Vitória"};
  return v;
}

const std::vector<std::string>& Packings() {
  static const std::vector<std::string> v{"", "c/6", "c/12", "c/24"};
  return v;
}

const std::vector<std::string>& BusinessKinds() {
  static const std::vector<std::string> v{
      "Supermercado", "Mercearia",   "Distribuidora", "Atacadão",   "Comercial",    "Padaria",
      "Panificadora", "Empório",     "Mercadinho",    "Minimercado", "Restaurante", "Lanchonete",
      "Armazém",      "Casa de Carnes", "Hortifrúti", "Conveniência", "Açougue",    "Quitanda",
      "Drogaria",     "Cantina"};
  return v;
}

const std::vector<std::string>& BusinessNames() {
  static const std::vector<std::string> v{
      "São Jorge",     "Bom Preço",      "Santa Luzia",    "Boa Vista",     "Pão Dourado",   "Estrela do Sul",
      "Primavera",     "Vale do Sol",    "Dois Irmãos",    "Três Corações", "Família Souza", "Novo Horizonte",
      "Boa Esperança", "Central",        "União",          "Popular",       "Serra Azul",    "Rio Branco",
      "Ipiranga",      "Jardim América", "Vila Nova",      "Bela Vista",    "São Francisco", "Santo Antônio",
      "Sol Nascente",  "Recanto",        "Paraíso",        "Avenida",       "Cidade Alta",   "Girassol",
      "Araucária",     "Jequitibá",      "Ipê Amarelo",    "Aroeira",       "Canaã",         "Bom Jesus",
      "Monte Sião",    "Cristo Rei",     "Guarani",        "Irmãos Oliveira", "Irmãos Ribeiro", "Nossa Senhora Aparecida",
      "São Cristóvão", "Santa Rita",     "Nova Aliança",   "Pérola",        "Flor de Lis",   "Mãe Rainha",
      "Bandeirantes",  "Planalto",       "Litoral",        "Serrano",       "Pantanal",      "Cerrado",
      "Mandacaru",     "Sabiá",          "Beija-Flor",     "Tucano",        "Juriti",        "Andorinha"};
  return v;
}

const std::vector<std::string>& CompanySuffixes() {
  static const std::vector<std::string> v{"Ltda", "Ltda ME", "Ltda EPP", "EIRELI", "S.A.", "ME", "Comércio Ltda"};
  return v;
}

const std::vector<std::string>& FirstNames() {
  static const std::vector<std::string> v{
      "José",    "João",     "Antônio",  "Francisco", "Carlos",  "Paulo",   "Pedro",    "Lucas",   "Luiz",
      "Marcos",  "Sebastião", "Raimundo", "Joaquim",  "Benedito", "Rafael", "Gustavo",  "Maria",   "Ana",
      "Francisca", "Antônia", "Adriana",  "Juliana",  "Márcia",  "Fernanda", "Patrícia", "Aline",  "Luíza",
      "Conceição", "Sônia",   "Lúcia",    "Cláudia",  "Tereza",  "Helena",  "Vitória",  "Letícia", "Cecília"};
  return v;
}

const std::vector<std::string>& Surnames() {
  static const std::vector<std::string> v{
      "Silva",  "Santos",   "Oliveira", "Souza",   "Rodrigues", "Ferreira", "Alves",    "Pereira", "Lima",
      "Gomes",  "Costa",    "Ribeiro",  "Martins", "Carvalho",  "Almeida",  "Lopes",    "Soares",  "Fernandes",
      "Vieira", "Barbosa",  "Rocha",    "Dias",    "Nascimento", "Andrade", "Moreira",  "Nunes",   "Marques",
      "Machado", "Mendes",  "Freitas",  "Cardoso", "Ramos",     "Gonçalves", "Santana", "Teixeira", "Araújo",
      "Conceição", "Brandão", "Figueiredo", "Guimarães", "Magalhães", "Assunção"};
  return v;
}

const std::vector<NamedCode>& PriceFactors() {
  static const std::vector<NamedCode> v{
      {"001", "MKP", "Markup"},   {"002", "ICMS", "ICMS"},     {"003", "PIS", "PIS"},
      {"004", "COFI", "Cofins"},  {"005", "FRT", "Frete"},     {"006", "DESC", "Desconto"},
      {"007", "IPI", "IPI"},      {"008", "COM", "Comissão"},  {"009", "ST", "Substituição Tributária"},
      {"010", "ADM", "Despesas Administrativas"}};
  return v;
}

const std::vector<NamedCode>& CostTypes() {
  static const std::vector<NamedCode> v{
      {"1", "", "Custo Médio"}, {"2", "", "Custo de Reposição"}, {"3", "", "Último Custo de Compra"}};
  return v;
}

}  // namespace server::demo
